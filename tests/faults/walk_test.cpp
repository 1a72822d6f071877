// The fault walk: Dulk, AutoBem and BemUpd run with the real module in the real host, once
// unarmed to count the host interface's allocations, creations and changes, then once for each of
// those events made to fail. Every failure must end the command with one of the module's
// messages, leave the drawing as it was before the command, keep no selection set, and leave the
// host able to run the same command again. Run in the sanitizer build, LeakSanitizer checks that
// nothing leaks on any of those ways out. Then the failures on which a command ends although it
// could go on, each with what going on would leave.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cad/ads/faults.h"
#include "cad/ads/host.h"
#include "cad/ads/loader.h"
#include "cad/builtins/builtins.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/writer.h"
#include "cad/input/script_source.h"
#include "cad/input/transcript.h"
#include "tests/support/snapshot.h"

namespace {

// A command to walk: the drawing it starts from (a script run on a new drawing) and the replies
// of one run of it.
struct Job {
  const char* command;
  const char* setup;
  const char* replies;
};

const Job kJobs[] = {
    {"Dulk", "", "0,0\n4,0\n10,0\n15,0\n\n5,3\n0\n"},
    // Three walls and a polyline across a cut line, which goes again at the end.
    {"AutoBem", "LINE\n0,0\n0,10\n\nLINE\n4,0\n4,10\n\nLINE\n10,0\n10,10\n\nPLINE\n7,0\n7,10\n\n",
     "-1,5\n12,5\n\n0,2\n0\n\n"},
    // A horizontal and a vertical chain, both selected.
    {"BemUpd", "Dulk\n0,0\n4,0\n10,0\n\n5,3\n0\nDulk\n20,0\n20,6\n\n23,3\n90\n", "ALL\n\n"},
};

// What the module says when the host fails it; each walked run must show one of them. Some have
// no line break before them and follow a prompt on its line.
const char* const kFailureMessages[] = {
    "Nicht genügend Speicher fuer Punkte !!",
    "Nicht genügend Speicher fuer area !!",
    "Nicht genügend Speicher fuer Filter !!",
    "Fehler: Kein Speicher  correct",
    "Fehler: Kein Speicher fuer Handle correct",
    "Fehler: Kein Speicher für Handle dim_main",
    "Fehler: Kein Speicher für String dim_main",
    "Fehler: Kein Handle gefunden !! dim_main",
    "Erste Bemassung wurde nicht erzeugt, keine Masskette !",
    "Folgebemassung wurde nicht erzeugt, keine Masskette !",
    "Fehler bei Erzeugen der EED in connect_dim",
    " Keine neue Bemassung generiert !",
    "Keine Schnittlinie gezeichnet!",
    "Schnittlinie konnte nicht geloescht werden!",
    "Konnte keine Bemassung generieren!",
    "Fehler 1 8-(",
    "Fehler 13",
    "Fehler 5",
    "Fehler 23",
    " Fehler dimstyle",
    "Fehler in build_list dimstyle",
    "Fehler in entmake 1 dimstyle",
    "Fehler bei create Block dimstyle",
    " Kein Block gefunden dimstyle",
    "Fehler in entmod 2 dimstyle",
    " Fehler in ads_tblsearch!",
    "Konnte Stil \"STANDARD\" nicht erstellen !",
};

bool shows_failure_message(const std::string& transcript) {
  for (const char* message : kFailureMessages) {
    if (transcript.find(message) != std::string::npos) return true;
  }
  return false;
}

// A fresh host with the host's commands and the module, on a drawing given as DXF text (a new
// drawing when empty).
class Session {
 public:
  explicit Session(const std::string& dxf) : host_(std::make_unique<cad::Host>()) {
    cad::set_current_host(host_.get());
    host_->transcript().set_output(nullptr);
    cad::register_builtins(*host_);
    if (!dxf.empty()) {
      cad::ReadResult read = cad::read_dxf(dxf, "start");
      EXPECT_EQ(read.error, "");
      if (read.db) host_->set_db(std::move(read.db));
    }
    std::string error;
    EXPECT_TRUE(host_->modules().load(DULK_BINARY_DIR "/DulkArx.arx", &error)) << error;
  }
  ~Session() {
    host_.reset();
    cad::set_current_host(nullptr);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  cad::Host& host() { return *host_; }

  // Runs one command with the given replies; replies it leaves unread are dropped with the
  // source, as a failed command leaves its script's rest to nobody.
  cad::CommandResult run(const Job& job) {
    host_->transcript().clear();
    host_->set_reply_source(std::make_unique<cad::ScriptSource>(job.replies, "replies"));
    return host_->run_command(job.command);
  }

  // The entities of the drawing by what they are and, for dimensions, what they measure and
  // say, without handles: runs that gave out different handles still compare equal.
  std::string summary() const {
    const cad::Database& db = host_->db();
    std::ostringstream out;
    out.precision(12);
    for (cad::RecordId id : db.entities()) {
      if (db.erased(id)) continue;
      const cad::Record& rec = db.record(id);
      out << rec.type << " " << rec.text(8);
      if (rec.type == "DIMENSION") {
        out << " '" << rec.text(1) << "' " << rec.text(3);
        for (int code : {10, 13, 14}) {
          const cad::Vec3 p = rec.point(code);
          out << " " << p.x << "," << p.y << "," << p.z;
        }
        out << (rec.xdata_begin() < rec.groups.size() ? " tagged" : "");
      }
      out << "\n";
    }
    return out.str();
  }

  // What of the host's state beside the drawing a command may change: the undo control.
  int undoctl() const { return host_->get_var("UNDOCTL")->i; }

 private:
  std::unique_ptr<cad::Host> host_;
};

std::string drawing_after_setup(const Job& job) {
  Session session("");
  session.host().set_reply_source(std::make_unique<cad::ScriptSource>(job.setup, "setup"));
  EXPECT_EQ(session.host().command_loop(), 0) << session.host().transcript().text();
  return cad::write_dxf(session.host().db());
}

// What one unarmed run gives: the events of each kind and the drawing it leaves.
struct Unarmed {
  uint64_t events = 0;
  std::string summary;
};

Unarmed unarmed_run(const std::string& start, const Job& job, cad::FaultKind kind) {
  Session session(start);
  session.host().faults().disarm();
  EXPECT_EQ(session.run(job), cad::CommandResult::kDone) << session.host().transcript().text();
  EXPECT_FALSE(shows_failure_message(session.host().transcript().text()))
      << session.host().transcript().text();
  return {session.host().faults().count(kind), session.summary()};
}

// One walked run: the nth event of kind fails. What went wrong, or nothing.
std::string walk_one(const std::string& start, const Job& job, cad::FaultKind kind, uint64_t n,
                     const Unarmed& unarmed) {
  Session session(start);
  const cad::testing::Snapshot before(session.host().db());
  const int undoctl = session.undoctl();
  session.host().faults().arm({kind, n});
  const cad::CommandResult result = session.run(job);
  const std::string said = session.host().transcript().text();
  const char* call = session.host().faults().failed_call();
  std::string problems;
  if (call == nullptr) return "the event never happened\n" + said;
  if (result != cad::CommandResult::kDone && result != cad::CommandResult::kAborted)
    problems += "; the command did not end by itself";
  if (!shows_failure_message(said)) problems += "; no message";
  if (said.find("unfreed") != std::string::npos) problems += "; a selection set kept";
  const std::string changed = before.diff(cad::testing::Snapshot(session.host().db()));
  if (!changed.empty()) problems += "; drawing changed: " + changed;
  if (session.undoctl() != undoctl) problems += "; UNDOCTL changed";

  session.host().faults().disarm();
  if (session.run(job) != cad::CommandResult::kDone || session.summary() != unarmed.summary)
    problems += "; the next run went wrong:\n" + session.host().transcript().text();
  if (problems.empty()) return "";
  return std::string(call) + " failed" + problems + "\n" + said;
}

class FaultWalk : public ::testing::TestWithParam<std::tuple<size_t, cad::FaultKind>> {};

TEST_P(FaultWalk, EachFailedEventEndsTheCommandWithAMessageAndTheDrawingAsBefore) {
  const auto [job_index, kind] = GetParam();
  const Job& job = kJobs[job_index];
  const std::string start = drawing_after_setup(job);
  const Unarmed unarmed = unarmed_run(start, job, kind);
  // A walk over no events would prove nothing.
  ASSERT_GT(unarmed.events, 0u);
  std::cout << "[   walk   ] " << job.command << " " << cad::fault_kind_name(kind) << ": "
            << unarmed.events << " events\n";
  for (uint64_t n = 1; n <= unarmed.events; ++n) {
    EXPECT_EQ(walk_one(start, job, kind, n, unarmed), "")
        << job.command << " " << cad::fault_kind_name(kind) << ":" << n;
  }
}

INSTANTIATE_TEST_SUITE_P(Commands, FaultWalk,
                         ::testing::Combine(::testing::Range<size_t>(0, std::size(kJobs)),
                                            ::testing::ValuesIn(cad::kFaultKinds)),
                         [](const ::testing::TestParamInfo<FaultWalk::ParamType>& info) {
                           std::string kind(cad::fault_kind_name(std::get<1>(info.param)));
                           kind[0] = static_cast<char>(kind[0] - 'a' + 'A');
                           return kJobs[std::get<0>(info.param)].command + kind;
                         });

// Host failures on which the command ends where it could go on, each named after what going on
// would leave: the call whose nth event of its kind fails, and the message the command ends with,
// the drawing as it was; an alert when the message is one.
struct EndingCase {
  const char* reason;
  const Job* job;
  cad::FaultKind kind;
  const char* call;
  int nth;
  const char* message;
  bool alert = false;
};

void PrintTo(const EndingCase& c, std::ostream* out) { *out << c.reason; }

class HostFailureEndsTheCommand : public ::testing::TestWithParam<EndingCase> {};

TEST_P(HostFailureEndsTheCommand, RatherThanLeaveAWrongOrHalfMadeChain) {
  const EndingCase& c = GetParam();
  const std::string start = drawing_after_setup(*c.job);
  const Unarmed unarmed = unarmed_run(start, *c.job, c.kind);
  int seen = 0;
  for (uint64_t n = 1; n <= unarmed.events; ++n) {
    Session session(start);
    const cad::testing::Snapshot before(session.host().db());
    session.host().faults().arm({c.kind, n});
    const cad::CommandResult result = session.run(*c.job);
    if (std::string(session.host().faults().failed_call()) != c.call || ++seen < c.nth) continue;
    EXPECT_EQ(result, cad::CommandResult::kAborted);
    EXPECT_NE(session.host().transcript().text().find(c.message), std::string::npos)
        << session.host().transcript().text();
    const std::vector<std::string>& alerts = session.host().alerts();
    EXPECT_EQ(std::find(alerts.begin(), alerts.end(), c.message) != alerts.end(), c.alert);
    EXPECT_EQ(before.diff(cad::testing::Snapshot(session.host().db())), "");
    return;
  }
  ADD_FAILURE() << c.call << " fails fewer than " << c.nth << " times";
}

const Job& kDulk = kJobs[0];
const Job& kBemUpd = kJobs[2];
using enum cad::FaultKind;

const EndingCase kEndings[] = {
    // Unread, a current style "*UNNAMED" would not be saved over STANDARD, and the chain would be
    // drawn with STANDARD's old variables instead of the user's.
    {"DimstyleUnreadAtTheStartWouldDrawWithOtherVariables", &kDulk, kAllocation, "acedGetVar", 1,
     " Fehler dimstyle"},
    // Without the style's name its settings cannot be loaded: the chain would get those of the
    // style loaded last, or none at all (every text "0").
    {"DimstyleUnreadBeforeTheChainWouldDrawWithAnotherStylesSettings", &kDulk, kAllocation,
     "acedGetVar", 2, " Fehler dimstyle"},
    // The chains' layer would stay current and the user's next objects would go onto it.
    {"ClayerUnreadWouldLeaveTheUserOnTheLayerOfTheLastChain", &kBemUpd, kAllocation, "acedGetVar",
     2, " Fehler dimstyle"},
    // The chain would be drawn with settings stored nowhere, while the message says the style
    // could not be made.
    {"StyleNotThereAfterSavingWouldDrawWithSettingsStoredNowhere", &kDulk, kAllocation,
     "acdbTblSearch", 3, "Konnte Stil \"STANDARD\" nicht erstellen !"},
    // The next dimension would span two gaps with the text of one.
    {"SkippedPointWouldGiveATextMeasuringTheWrongGap", &kDulk, kCreation, "DIM1", 2,
     "Folgebemassung wurde nicht erzeugt, keine Masskette !"},
    // BemUpd would regenerate the tagged part and leave the rest standing beside it.
    {"ChainTaggedInPartCouldNotBeUpdatedWhole", &kDulk, kChange, "acdbEntMod", 3,
     "Fehler bei Erzeugen der EED in connect_dim", true},
};

INSTANTIATE_TEST_SUITE_P(Reasons, HostFailureEndsTheCommand, ::testing::ValuesIn(kEndings),
                         [](const auto& info) { return std::string(info.param.reason); });

}  // namespace
