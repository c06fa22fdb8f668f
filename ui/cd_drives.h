// CdDrives: the compact-disc drives the dialog offers in its drive box, and
// the audio tracks of the disc in one of them.
//
// FindDrives lists the drives found, in the order the system reports them;
// DriveName asks one drive for the name to show (nothing when the query
// fails: that drive gets no entry); AudioTrackPaths reads the disc's table
// of contents and gives the path of each audio track in track order (data
// tracks left out; empty when there is no disc or it cannot be read). The
// dialog calls FindDrives and DriveName once, when it opens.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct CdDriveAddress {
  uint8_t hostAdapter = 0;
  uint8_t target = 0;
  uint8_t lun = 0;
};

class CdDrives {
 public:
  virtual ~CdDrives() = default;
  virtual std::vector<CdDriveAddress> FindDrives() = 0;
  virtual std::optional<std::string> DriveName(const CdDriveAddress& drive) = 0;
  virtual std::vector<std::string> AudioTrackPaths(const CdDriveAddress& drive) = 0;
};

// The drives of a machine on which no compact-disc access is built in: none.
class NoCdDrives : public CdDrives {
 public:
  std::vector<CdDriveAddress> FindDrives() override { return {}; }
  std::optional<std::string> DriveName(const CdDriveAddress&) override { return std::nullopt; }
  std::vector<std::string> AudioTrackPaths(const CdDriveAddress&) override { return {}; }
};
