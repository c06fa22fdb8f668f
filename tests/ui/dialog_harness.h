// The main dialog's logic with its services in memory: a scripted
// analysis (no engine), CD drives the test describes, and the in-memory
// window host. Helpers make folders of empty audio files for listing.
#pragma once

#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/support/fake_cd_access.h"
#include "ui/main_dialog.h"
#include "ui/memory/memory_dialog_host.h"
#include "ui/memory/memory_file_operations.h"
#include "ui/track_analysis.h"

// An analysis that starts nothing: it records the paths it was given and
// refuses those in `refused`; the test delivers the messages itself.
class ScriptedAnalysis : public TrackAnalysis {
 public:
  bool Start(const std::string& path) override {
    started.push_back(path);
    return refused.count(path) == 0;
  }
  double EstimateTempo() override {
    ++estimates;
    return tempo;
  }
  ReadPosition Progress() const override { return position; }
  void SetPreciseTempo(bool on) override { precise = on; }
  void SetEveryFormat(bool on) override { everyFormat = on; }
  double TempoConfidence() const override { return confidence; }
  double AlternativeTempo() const override { return alternative; }

  std::vector<std::string> started;
  std::set<std::string> refused;
  double tempo = 120.0;
  int estimates = 0;
  ReadPosition position;  // total 0: no steady position
  bool precise = false;
  bool everyFormat = false;
  double confidence = std::nan("");
  double alternative = std::nan("");
};

// A tag writer that records what it was asked and fails for the paths in
// `refused`; its tags hold the tempi of `tagged` (and what it wrote).
class RecordingTagWriter : public TempoTagWriter {
 public:
  struct Call {
    std::string path;
    double bpm;
    int decimals;
  };
  bool Write(const std::string& path, double bpm, int decimals, std::string* error) override {
    calls.push_back({path, bpm, decimals});
    if (refused.count(path) == 0) {
      tagged[path] = bpm;
      return true;
    }
    *error = "refused";
    return false;
  }
  std::optional<double> ReadTempo(const std::string& path) override {
    reads.push_back(path);
    const auto found = tagged.find(path);
    if (found == tagged.end()) return std::nullopt;
    return found->second;
  }
  std::vector<Call> calls;
  std::map<std::string, double> tagged;
  std::vector<std::string> reads;
  std::set<std::string> refused;
};

struct DialogHarness {
  // Opens the dialog (OnInitDialog) unless told not to, e.g. to set up the
  // drives first. The dialog renames and copies in `files` (in memory)
  // unless given other file operations (the disk's).
  // `platform` is the system the dialog behaves as on.
  explicit DialogHarness(bool open = true, FileOperations* otherFiles = nullptr,
                         const WindowPlatform& platform = ThisPlatform());

  // Delivers the analysis' last message for the row under analysis.
  void Done(double tempo);
  void Failed();

  MemoryDialogHost host;
  ScriptedAnalysis analysis;
  FakeCdAccess drives;  // none until the test adds some
  RecordingTagWriter tags;
  MemoryFileOperations files;
  HelpDocuments helpDocuments{{}};
  MainDialog dialog;
};

// Creates an empty file (and the folders above it).
void MakeFile(const std::string& path);

// The rows' FileName texts, BPM texts and images, in row order.
std::vector<std::string> FileNames(const TrackList& tracks);
std::vector<std::string> BpmTexts(const TrackList& tracks);
std::vector<int> Images(const TrackList& tracks);
