#include "cad/builtins/builtins.h"

#include <string>

#include "cad/builtins/commands.h"

namespace cad {

namespace {

// A host command: its name, its body, and what HELP says of it.
struct Builtin {
  const char* name;
  void (*body)(Host&);
  // What the command does, one line.
  const char* does;
  // The prompts it asks, one a line, as the command line shows them ("<...>" for what varies).
  const char* prompts;
};

constexpr Builtin kBuiltins[] = {
    {"DIM1", dim1_command,
     "Draws a horizontal, vertical or continued dimension; saves, restores, shows styles.",
     "Dim:\n"
     "Specify first extension line origin:\n"
     "Specify second extension line origin:\n"
     "Specify dimension line location:\n"
     "Dimension text <measurement>:\n"
     "Enter name for new dimension style or [?]:\n"
     "Replace it? <N>:\n"
     "Enter dimension style name or [?]:"},
    {"-DIMSTYLE", dimstyle_command, "Saves, restores, shows or lists dimension styles.",
     "Enter a dimension style option [Save/Restore/STatus/?] <Restore>:\n"
     "Enter name for new dimension style or [?]:\n"
     "Replace it? <N>:\n"
     "Enter dimension style name or [?]:"},
    {"DIMSTYLES", dimstyles_command, "Lists the dimension styles and names the current one.", ""},
    {"UCS", ucs_command, "Sets the user coordinate system.",
     "Specify origin of UCS or [OBject/Previous/World/X/Y/Z] <World>:\n"
     "Specify point on X-axis or <Accept>:\n"
     "Specify point on the XY plane or <Accept>:\n"
     "Select object to align UCS:\n"
     "Specify rotation angle about X axis <90>:\n"
     "Specify rotation angle about Y axis <90>:\n"
     "Specify rotation angle about Z axis <90>:"},
    {"-LAYER", layer_command,
     "Lists, makes and sets layers and changes their state, colour and linetype.",
     "Enter an option [?/Make/Set/New/ON/OFF/Color/Ltype/Freeze/Thaw/LOck/Unlock]:\n"
     "Enter layer name(s) to list <*>:\n"
     "Enter name for new layer (becomes the current layer) <current>:\n"
     "Enter layer name to make current:\n"
     "Enter name list for new layer(s):\n"
     "Enter name list of layer(s) to turn on:\n"
     "Enter name list of layer(s) to turn off:\n"
     "New color:\n"
     "Enter name list of layer(s) for color <number> <current>:\n"
     "Enter a loaded linetype name <Continuous>:\n"
     "Enter name list of layer(s) for linetype \"<name>\" <current>:\n"
     "Enter name list of layer(s) to freeze:\n"
     "Enter name list of layer(s) to thaw:\n"
     "Enter name list of layer(s) to lock:\n"
     "Enter name list of layer(s) to unlock:"},
    {"UNDO", undo_command,
     "Undoes commands, or groups them, marks a place and sets how undo works.",
     "Enter the number of operations to undo or [Auto/Control/BEgin/End/Mark/Back] <1>:\n"
     "Enter UNDO Auto mode [ON/OFF] <On>:\n"
     "Enter an UNDO control option [All/None/One] <All>:\n"
     "This will undo everything. OK? <Y>:"},
    {"U", u_command, "Undoes the last command.", ""},
    {"REDO", redo_command, "Makes again what the U or UNDO just before took back.", ""},
    {"REDRAW", redraw_command, "Clears the temporary vectors drawn by programs.", ""},
    {"LINE", line_command, "Draws straight line segments.",
     "Specify first point:\n"
     "Specify next point or [Undo]:\n"
     "Specify next point or [Close/Undo]:"},
    {"PLINE", pline_command, "Draws a polyline of straight segments.",
     "Specify start point:\n"
     "Specify next point or [Undo]:\n"
     "Specify next point or [Close/Undo]:"},
    {"CIRCLE", circle_command, "Draws a circle by its centre and radius or diameter.",
     "Specify center point for circle:\n"
     "Specify radius of circle or [Diameter]:\n"
     "Specify diameter of circle:"},
    {"ERASE", erase_command, "Erases objects.", "Select objects:"},
    {"MOVE", move_command, "Moves objects by a displacement.",
     "Select objects:\n"
     "Specify base point or [Displacement] <Displacement>:\n"
     "Specify second point or <use first point as displacement>:\n"
     "Specify displacement <0,0,0>:"},
    {"COPY", copy_command,
     "Copies objects by displacements, with everything they hold (extended data too).",
     "Select objects:\n"
     "Specify base point or [Displacement] <Displacement>:\n"
     "Specify second point or <use first point as displacement>:\n"
     "Specify second point or [Exit/Undo] <Exit>:\n"
     "Specify displacement <0,0,0>:"},
    {"ROTATE", rotate_command, "Turns objects about a base point.",
     "Select objects:\n"
     "Specify base point:\n"
     "Specify rotation angle or [Copy/Reference] <0>:\n"
     "Specify the reference angle <0>:\n"
     "Specify the new angle <0>:"},
    {"SCALE", scale_command, "Scales objects about a base point.",
     "Select objects:\n"
     "Specify base point:\n"
     "Specify scale factor or [Copy/Reference]:\n"
     "Specify reference length <1>:\n"
     "Specify new length <1>:"},
    {"MIRROR", mirror_command,
     "Mirrors objects in a line; MIRRTEXT says whether text is mirrored too.",
     "Select objects:\n"
     "Specify first point of mirror line:\n"
     "Specify second point of mirror line:\n"
     "Erase source objects? [Yes/No] <No>:"},
    {"STRETCH", stretch_command,
     "Moves the points of objects that lie in a crossing window or polygon, the rest staying.",
     "Select objects:\n"
     "Specify base point or [Displacement] <Displacement>:\n"
     "Specify second point or <use first point as displacement>:\n"
     "Specify displacement <0,0,0>:"},
    {"LIST", list_command, "Shows what the drawing holds for objects.", "Select objects:"},
    {"AUDIT", audit_command,
     "Lists references to missing entries and blocks, wrong owners, numbers that are not finite "
     "and chains whose members lie on different lines; mends them when told to (one undo step).",
     "Fix any errors detected? [Yes/No] <N>:"},
    {"SETVAR", setvar_command, "Shows or sets a system variable.",
     "Enter variable name or [?]:\n"
     "Enter new value for <name> <value>:"},
    {"HELP", help_command, "Lists the commands, or says what one does and which prompts it asks.",
     "Enter a command name <list them all>:"},
    {"?", help_command, "The same as HELP.", "Enter a command name <list them all>:"},
};

}  // namespace

void register_builtins(Host& host) {
  for (const Builtin& b : kBuiltins) {
    CommandDef def;
    def.group = "ACAD";
    def.global_name = b.name;
    def.local_name = b.name;
    def.body = [&host, body = b.body] { body(host); };
    def.builtin = true;
    def.help = b.does;
    if (*b.prompts) def.help += std::string("\n") + b.prompts;
    host.commands().add(std::move(def));
  }
}

}  // namespace cad
