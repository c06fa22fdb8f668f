// The platform this program was built for. See window_platform.h.
#include "ui/window_platform.h"

#include "engine/ffmpeg_audio.h"

WindowPlatform ThisPlatform() {
  WindowPlatform platform;
  platform.decodesEveryFormat = FfmpegAudio::Available();
#ifdef _WIN32
  platform.cdTrackNames = CdTrackNames::kDriveLetterFiles;
#else
  platform.cdTrackNames = CdTrackNames::kDesktopLocations;
#endif
  return platform;
}
