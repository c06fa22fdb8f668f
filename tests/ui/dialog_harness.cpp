// The dialog logic's test harness. See dialog_harness.h.
#include "tests/ui/dialog_harness.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "engine/analysis_job.h"

namespace {

bool SameAddress(const CdDriveAddress& a, const CdDriveAddress& b) {
  return a.hostAdapter == b.hostAdapter && a.target == b.target && a.lun == b.lun;
}

}  // namespace

std::vector<CdDriveAddress> FakeCdDrives::FindDrives() {
  std::vector<CdDriveAddress> found;
  for (const FakeDrive& drive : drives) found.push_back(drive.address);
  return found;
}

std::optional<std::string> FakeCdDrives::DriveName(const CdDriveAddress& address) {
  for (const FakeDrive& drive : drives)
    if (SameAddress(drive.address, address) && !drive.name.empty()) return drive.name;
  return std::nullopt;
}

std::vector<std::string> FakeCdDrives::AudioTrackPaths(const CdDriveAddress& address) {
  ++trackReads;
  for (const FakeDrive& drive : drives)
    if (SameAddress(drive.address, address)) return drive.tracks;
  return {};
}

DialogHarness::DialogHarness(bool open, FileOperations* otherFiles)
    : dialog(DialogServices{host, host, host, host, analysis, drives,
                            otherFiles != nullptr ? *otherFiles : files, host, host, host,
                            helpDocuments}) {
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
