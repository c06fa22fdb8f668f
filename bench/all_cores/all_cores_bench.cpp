// bench_all_cores: a window run over sixteen three-minute MP3 files, one file
// at a time and then with Project > Use All Cores (one engine analysis per
// core), through the dialog's logic and the real engine, in one process;
// prints both times and the speed-up against the machine's core count.
//
//   bench_all_cores   (needs lame; makes its files in a folder of its own)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "engine/analysis_job.h"
#include "tests/support/fake_cd_access.h"
#include "ui/analysis_slots.h"
#include "ui/dialog_ids.h"
#include "ui/engine_track_analysis.h"
#include "ui/help_documents.h"
#include "ui/main_dialog.h"
#include "ui/memory/memory_dialog_host.h"
#include "ui/memory/memory_file_operations.h"
#include "ui/memory/memory_message_queue.h"
#include "ui/tempo_tag_writer.h"

namespace {

constexpr int kFiles = 16;

// Seconds the run takes, from Go! to its end; negative when the engine
// went silent.
double RunSeconds(const std::string& folder, bool allCores, int cores) {
  MemoryDialogHost host;
  MemoryMessageQueue queue;
  EngineTrackAnalysis analysis{queue};
  EngineAnalysisSlots slots(queue, cores);
  host.allCores = &slots;
  FakeCdAccess drives;
  FileTempoTagWriter tags;
  MemoryFileOperations files;
  HelpDocuments helpDocuments{{}};
  MainDialog dialog{DialogServices{host, host, host, host, analysis, drives, files, host, host,
                                   host, helpDocuments, tags}};
  dialog.OnInitDialog();
  dialog.ListFolder(folder);
  if (allCores) dialog.OnCommand(kUseAllCoresCommand);
  host.saveAnswers.clear();
  const auto start = std::chrono::steady_clock::now();
  dialog.OnCommand(kGoButton);
  while (dialog.AnalysisRunning()) {
    PostedMessage message;
    if (!queue.Take(message, std::chrono::minutes(5))) return -1;
    dialog.OnAnalysisMessage(message.message, message.wParam, message.lParam);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // Every file analysed, or the times mean nothing.
  for (int row = 0; row < dialog.Tracks().RowCount(); ++row)
    if (dialog.Tracks().Row(row).bpm.empty()) return -1;
  return seconds;
}

}  // namespace

int main() {
  char pattern[] = "/tmp/bench-all-cores-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string work = pattern;
  const std::string folder = work + "/music";
  std::filesystem::create_directories(folder);
  std::printf("making %d three-minute MP3 files...\n", kFiles);
  for (int i = 0; i < kFiles; ++i) {
    // 100 to 135 beats per minute.
    const int interval = 44100 * 60 / (100 + 5 * i);
    const std::string wav = work + "/beats.wav";
    const std::string command = std::string(TEMPYRA_BEATGEN) + " '" + wav + "' 44100 " +
                                std::to_string(interval) + " 7938000 1 && lame --quiet -b 128 '" +
                                wav + "' '" + folder + "/t" + std::to_string(i) + ".mp3'";
    if (std::system(command.c_str()) != 0) {
      std::fprintf(stderr, "cannot make the files (needs lame)\n");
      std::filesystem::remove_all(work);
      return 1;
    }
  }
  const int cores = static_cast<int>(std::max(std::thread::hardware_concurrency(), 1u));
  const double single = RunSeconds(folder, false, cores);
  const double all = RunSeconds(folder, true, cores);
  std::filesystem::remove_all(work);
  if (single < 0 || all < 0) {
    std::fprintf(stderr, "the analysis went silent or a file was not analysed\n");
    return 1;
  }
  std::printf("one file at a time            %.2f s\n", single);
  std::printf("Use All Cores (%d analyses)    %.2f s\n", cores, all);
  std::printf("speed-up %.2f x on %d cores\n", single / all, cores);
  return 0;
}
