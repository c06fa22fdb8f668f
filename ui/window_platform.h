// WindowPlatform: what the system the window runs on offers or expects,
// where the dialog's logic must do something different from one system to
// another. The logic reads this one value (DialogServices::platform)
// instead of asking which system it was built for, so that both systems'
// behaviour is tested on either.
#pragma once

// How the rows of an audio disc name its tracks.
enum class CdTrackNames {
  // "D:\Track03.cda": the files Windows shows in an audio disc's drive.
  kDriveLetterFiles,
  // "cdda://sr0/Track%203.wav": the desktop's location of the track.
  kDesktopLocations,
};

struct WindowPlatform {
  // A decoder for the audio formats beyond MPEG audio and WAVE is built
  // in: Project > All Audio Formats is offered only then.
  bool decodesEveryFormat = false;
  CdTrackNames cdTrackNames = CdTrackNames::kDesktopLocations;
};

// The platform this program was built for.
WindowPlatform ThisPlatform();
