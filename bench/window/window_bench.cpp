// window_bench: listing a large folder tree (20,000 MP3 files in 2,000
// subfolders, made empty in a temporary folder) through the real wx window
// and through the dialog logic with its in-memory window services, with the
// bare folder walk in the same run as the floor; and an analysis run over
// every row through the logic with a scripted analysis, for the cost per
// row beyond the analysis itself. Run it under Xvfb (bench_window does).
//
//   window_bench [FOLDERS FILES_PER_FOLDER]
#include <sys/stat.h>
#include <wx/app.h>
#include <wx/init.h>
#include <cmath>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/analysis_job.h"
#include "platform/folder_walk.h"
#include "platform/libcdio_cd_access.h"
#include "ui/main_dialog.h"
#include "ui/memory/memory_dialog_host.h"
#include "ui/memory/memory_file_operations.h"
#include "ui/wx/main_frame.h"
#include "ui/wx/track_list_view.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsOf(const std::function<void()>& work) {
  const Clock::time_point start = Clock::now();
  work();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The best and the median of `runs` timings.
struct Timing {
  double best;
  double median;
};

Timing Time(int runs, const std::function<void()>& work) {
  std::vector<double> seconds;
  for (int i = 0; i < runs; ++i) seconds.push_back(SecondsOf(work));
  std::sort(seconds.begin(), seconds.end());
  return {seconds.front(), seconds[seconds.size() / 2]};
}

void Print(const char* what, Timing timing, int rows) {
  std::printf("%-44s best %7.3f s  median %7.3f s  (%d rows)\n", what, timing.best, timing.median,
              rows);
}

std::string MakeTree(int folders, int filesPerFolder) {
  char pattern[] = "/tmp/tempyra-window-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) std::abort();
  const std::string root = pattern;
  for (int folder = 0; folder < folders; ++folder) {
    // Two levels, as a library sorted by artist and album.
    const std::string path =
        root + "/Artist " + std::to_string(folder / 20) + "/Album " + std::to_string(folder);
    std::filesystem::create_directories(path);
    for (int file = 0; file < filesPerFolder; ++file) {
      const std::string name = path + "/" + std::to_string(file + 1) + " - Track title number " +
                               std::to_string(folder * filesPerFolder + file) + ".mp3";
      std::FILE* f = std::fopen(name.c_str(), "w");
      if (f == nullptr) std::abort();
      std::fclose(f);
    }
  }
  return root;
}

class NoAnalysis : public TrackAnalysis {
 public:
  bool Start(const std::string&) override { return true; }
  double EstimateTempo() override { return 127.856; }
  ReadPosition Progress() const override { return {}; }
  void SetPreciseTempo(bool) override {}
  void SetEveryFormat(bool) override {}
  double TempoConfidence() const override { return std::nan(""); }
  double AlternativeTempo() const override { return std::nan(""); }
};

class CountingVisitor : public FolderWalkVisitor {
 public:
  void OnFile(const std::string&) override { ++files; }
  void OnFolderError(const std::string&, int) override {}
  int files = 0;
};

struct BenchSettings {
  int folders = 2000;
  int filesPerFolder = 10;
  int status = 0;
};

class BenchApp : public wxApp {
 public:
  explicit BenchApp(BenchSettings& settings) : settings_(settings) {}

  bool OnInit() override {
    const int rows = settings_.folders * settings_.filesPerFolder;
    std::printf("making %d empty MP3 files in %d folders...\n", rows, settings_.folders);
    const std::string root = MakeTree(settings_.folders, settings_.filesPerFolder);
    constexpr int kRuns = 5;

    // The floor: the walk alone.
    Print("folder walk alone (reference)",
          Time(kRuns,
               [&] {
                 CountingVisitor visitor;
                 FolderWalkRules rules;
                 WalkFolder(root, rules, visitor);
               }),
          rows);

    // The logic with its services in memory.
    MemoryDialogHost host;
    NoAnalysis analysis;
    LibcdioCdAccess drives{std::vector<std::string>{}};  // no drive
    FileTempoTagWriter tags;
    MemoryFileOperations files;
    HelpDocuments helpDocuments({});
    MainDialog dialog(DialogServices{host, host, host, host, analysis, drives, files, host, host,
                                     host, helpDocuments, tags});
    dialog.OnInitDialog();
    const Timing memory = Time(kRuns, [&] { dialog.ListFolder(root); });
    Print("list through the in-memory double", memory, dialog.Tracks().RowCount());

    // The real window: listing until the list is drawn.
    auto* frame = new MainFrame(std::nullopt);
    frame->Show();
    wxYield();
    // The window lists on a worker: until its paths are in the list and
    // drawn.
    auto listAndDraw = [&] {
      frame->Dialog().ListFolder(root);
      while (frame->Dialog().Listing()) {
        wxMilliSleep(1);
        wxYield();
      }
      frame->Render();
      frame->Update();
      wxYield();
    };
    const Timing window = Time(kRuns, listAndDraw);
    Print("list through the real wx window", window, frame->Dialog().Tracks().RowCount());
    // The same with Project > Show Tags: the tags are read on a worker
    // after the list is shown, so listing should cost what it did.
    frame->Dialog().OnCommand(kShowTagsCommand);
    const Timing withTags = Time(kRuns, listAndDraw);
    Print("list through the real wx window, Show Tags on", withTags,
          frame->Dialog().Tracks().RowCount());
    frame->Dialog().OnCommand(kShowTagsCommand);
    Print("  of which: fit the FileName column anew",
          Time(kRuns,
               [&] {
                 frame->ListView().OnRowsReset();
                 frame->FitColumnToContents(1);
               }),
          rows);
    Print("then: scroll to the end and draw",
          Time(1,
               [&] {
                 frame->ListView().EnsureVisible(frame->Dialog().Tracks().RowCount() - 1);
                 frame->Update();
                 wxYield();
               }),
          rows);

    // What a result step adds in the real window: the row's new tempo and
    // image, the BPM column fitted again and the window rendered.
    {
      TrackList& tracks = frame->Dialog().Tracks();
      constexpr int kResults = 2000;
      const double seconds = SecondsOf([&] {
        for (int row = 0; row < kResults; ++row) {
          tracks.SetBpm(row, "127.86");
          tracks.SetImage(row, RowImage::kAnalysed);
          frame->FitColumnToContents(0);
          frame->Render();
        }
        frame->Update();
        wxYield();
      });
      std::printf("%-44s %7.3f s  = %.1f us per row\n", "result step in the real window", seconds,
                  seconds * 1e6 / kResults);
    }

    // A run over every row through the logic, each file answered at once:
    // what the dialog logic adds to the analysis per row.
    const double run = SecondsOf([&] {
      dialog.OnCommand(kGoButton);
      while (dialog.AnalysisRunning()) dialog.OnAnalysisMessage(AnalysisJob::kAnalysisDone, 0, 0);
    });
    std::printf("%-44s %7.3f s  = %.2f us per row\n", "run over every row, in-memory double", run,
                run * 1e6 / rows);

    const bool fast = window.median < 2.0;
    std::printf("real window under 2 s: %s\n", fast ? "yes" : "NO");
    settings_.status = fast ? 0 : 1;
    frame->Destroy();
    std::filesystem::remove_all(root);
    return false;
  }

 private:
  BenchSettings& settings_;
};

}  // namespace

int main(int argc, char** argv) {
  BenchSettings settings;
  if (argc == 3) {
    settings.folders = std::max(1, std::atoi(argv[1]));
    settings.filesPerFolder = std::max(1, std::atoi(argv[2]));
  }
  wxApp::SetInstance(new BenchApp(settings));
  int toolkitArgc = 1;
  char* toolkitArgv[] = {argv[0], nullptr};
  wxEntry(toolkitArgc, toolkitArgv);
  return settings.status;
}
