// result_handler_bench: what the window's thread spends on the analysis
// messages of one long file, with the real engine. The dialog's logic (the
// code the window's message handler runs) drives an analysis job over the
// file given, standard and then precise; the worker posts into an
// in-memory queue and every message is handed to the dialog as the
// window's event loop hands it, each hand-over timed. Prints the longest
// progress handler and the result handler of each run, against the 50 ms
// a window may spend before it feels stuck.
//
//   result_handler_bench FOLDER   (analyses every MP3 file in it; one long
//                                  file is the point)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/analysis_job.h"
#include "platform/cd_access.h"
#include "ui/dialog_ids.h"
#include "ui/engine_track_analysis.h"
#include "ui/help_documents.h"
#include "ui/main_dialog.h"
#include "ui/memory/memory_dialog_host.h"
#include "ui/memory/memory_file_operations.h"
#include "ui/memory/memory_message_queue.h"
#include "ui/tempo_tag_writer.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kHandlerLimitMs = 50.0;

// A machine without a CD drive.
class NoDrives final : public CdAccess {
 public:
  int GetCDList(DriveList& list) override {
    list = DriveList();
    return 0;
  }
  int GetDriveInfo(uint8_t, uint8_t, uint8_t, DriveRecord& record) override {
    record = DriveRecord();
    return 0;
  }
  CdHandle GetCDHandle(const CdHandleRequest&) override { return kNoCdHandle; }
  int ModifyCDParms(CdHandle, uint32_t, uint32_t) override { return 0; }
  int ReadTOC(CdHandle, TableOfContents& toc) override {
    toc = TableOfContents();
    return 0;
  }
  int CloseCDHandle(CdHandle) override { return 0; }
  std::string DriveLocation(const DriveRecord&) const override { return {}; }
};

struct RunTimes {
  double longestProgressMs = 0;
  double longestResultMs = 0;
  int messages = 0;
  bool silent = false;  // the worker posted nothing for ten minutes
};

RunTimes Run(MainDialog& dialog, MemoryMessageQueue& queue) {
  RunTimes times;
  dialog.OnCommand(kGoButton);
  while (dialog.AnalysisRunning()) {
    PostedMessage message;
    if (!queue.Take(message, std::chrono::minutes(10))) {
      times.silent = true;
      break;
    }
    const Clock::time_point start = Clock::now();
    dialog.OnAnalysisMessage(message.message, message.wParam, message.lParam);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    ++times.messages;
    double& longest = message.message == AnalysisJob::kAnalysisProgress ? times.longestProgressMs
                                                                        : times.longestResultMs;
    longest = std::max(longest, ms);
  }
  return times;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: result_handler_bench FOLDER\n");
    return 2;
  }
  MemoryDialogHost host;
  MemoryMessageQueue queue;
  EngineTrackAnalysis analysis{queue};
  NoDrives drives;
  FileTempoTagWriter tags;
  MemoryFileOperations files;
  HelpDocuments helpDocuments({});
  MainDialog dialog(DialogServices{host, host, host, host, analysis, drives, files, host, host,
                                   host, helpDocuments, tags});
  dialog.OnInitDialog();
  bool fast = true;
  for (const bool precise : {false, true}) {
    // The rows are listed anew, without tempi, so that Go! analyses them.
    dialog.ListFolder(argv[1]);
    if (dialog.Tracks().RowCount() == 0) {
      std::fprintf(stderr, "result_handler_bench: no audio file in %s\n", argv[1]);
      return 2;
    }
    if (precise) dialog.OnCommand(kPreciseTempoCommand);
    const RunTimes t = Run(dialog, queue);
    if (t.silent) {
      std::fprintf(stderr, "result_handler_bench: the analysis went silent\n");
      return 1;
    }
    std::printf(
        "window handlers, %-9s %d messages: longest progress %6.2f ms, result %6.2f ms"
        " (tempo %s)\n",
        precise ? "precise:" : "standard:", t.messages, t.longestProgressMs, t.longestResultMs,
        dialog.Tracks().Row(0).bpm.c_str());
    fast = fast && t.longestProgressMs < kHandlerLimitMs && t.longestResultMs < kHandlerLimitMs;
  }
  std::printf("every handler under %.0f ms: %s\n", kHandlerLimitMs, fast ? "yes" : "NO");
  return fast ? 0 : 1;
}
