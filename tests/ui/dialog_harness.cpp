// The dialog logic's test harness. See dialog_harness.h.
#include "tests/ui/dialog_harness.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "engine/analysis_job.h"

DialogHarness::DialogHarness(bool open, FileOperations* otherFiles, const WindowPlatform& platform)
    : dialog(DialogServices{host, host, host, host, analysis, drives,
                            otherFiles != nullptr ? *otherFiles : files, host, host, host,
                            helpDocuments, tags, platform}) {
  if (open) dialog.OnInitDialog();
}

void DialogHarness::Done(double tempo) {
  analysis.tempo = tempo;
  dialog.OnAnalysisMessage(AnalysisJob::kAnalysisDone, 0, 0);
}

void DialogHarness::Failed() {
  dialog.OnAnalysisMessage(AnalysisJob::kAnalysisFailed, 0, 0);
}

void MakeFile(const std::string& path) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) throw std::runtime_error("cannot create " + path);
  std::fclose(file);
}

std::vector<std::string> FileNames(const TrackList& tracks) {
  std::vector<std::string> names;
  for (int row = 0; row < tracks.RowCount(); ++row) names.push_back(tracks.Row(row).fileName);
  return names;
}

std::vector<std::string> BpmTexts(const TrackList& tracks) {
  std::vector<std::string> texts;
  for (int row = 0; row < tracks.RowCount(); ++row) texts.push_back(tracks.Row(row).bpm);
  return texts;
}

std::vector<int> Images(const TrackList& tracks) {
  std::vector<int> images;
  for (int row = 0; row < tracks.RowCount(); ++row)
    images.push_back(static_cast<int>(tracks.Row(row).image));
  return images;
}
