// The bracket every chain command runs its work in: echo off and the chain request reset, a
// dimension style "STANDARD" secured, one undo group around the changes, and the dimension
// style, layer and UCS put back where the command changed them.
#pragma once

#include "frame/owners.h"
#include "host/arxHeaders.h"

// Ends a command by whichever path it ends: the host gets no value back (acedRetVoid).
class CommandEnd {
 public:
  CommandEnd() = default;
  CommandEnd(const CommandEnd&) = delete;
  CommandEnd& operator=(const CommandEnd&) = delete;
  ~CommandEnd() { acedRetVoid(); }
};

// The message a command ends with when the host cannot give it the current dimension style or
// secure the style STANDARD.
extern const ACHAR* const kNoDimstyle;

// Command echo off, ChainRequest.point_count 1 and side 0, a style STANDARD secured. RTNORM; a
// host that fails to read DIMSTYLE or to secure STANDARD ends the command through acrx_abort
// with kNoDimstyle.
int dim_prepare();

// Reads DIMSTYLE into rb_dimstyle; a host that fails to read it ends the command through
// acrx_abort with kNoDimstyle.
void current_dimstyle(RbValue& rb_dimstyle);

// Reads UNDOCTL into undoctl (0 when it cannot be read) and, when undo is on, unlimited and no
// group is open, opens one undo group (switching automatic grouping off while it is open).
void undo_begin(resbuf* undoctl);

// Closes what undo_begin opened, deciding by the value undo_begin stored.
void undo_end(const resbuf* undoctl);

// Reads DIMSTYLE into rb_dimstyle and CLAYER into layer; the status of the DIMSTYLE read when
// it failed, else that of the CLAYER read.
int save_dim_env(RbValue& rb_dimstyle, RbValue& layer);

// Makes the saved dimension style (with its settings) and layer current again. A value that
// save_dim_env could not read is left alone.
void restore_dim_env(const RbValue& rb_dimstyle, const RbValue& layer);

// Back to the previous UCS.
void ucs_previous();
