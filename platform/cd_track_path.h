// CdTrackPath: the text that stands for one audio track of a disc in the
// window's track list, and that the desktop's opener is given when the
// user double-clicks the row.
//
// The form is the GVfs CD-audio location of the track:
//
//   cdda://sr0/Track%203.wav     track 3 of the disc in /dev/sr0
//
// GVfs (the desktop file system layer of GNOME, Xfce, Cinnamon, MATE) shows
// an audio disc in /dev/NAME at cdda://NAME/, one file "Track N.wav" per
// audio track, N without leading zeros; xdg-open hands such a location to
// the desktop's default audio player, which plays the track. It is the
// counterpart of the Track03.cda files that other systems show for an
// audio disc. On a desktop without GVfs the row still names device and
// track, and opening it fails as opening any unknown location does.
//
// The host part is the device's path with "/dev/" taken off ("/dev/sr0" ->
// "sr0"); a device outside /dev (a disc image) gives its last path
// component. Characters other than letters, digits and "-._~" are
// percent-encoded, so the text is always a valid URI. It ends in ".wav",
// never in "mp3": rows of a disc are never taken for MP3 files.
#pragma once

#include <string>
#include <string_view>

// Empty when `track` is outside 1..99 or `device` is empty.
std::string CdTrackPath(std::string_view device, int track);

// The form Windows shows an audio disc in: one file per audio track in the
// drive's root, "D:\Track03.cda" for track 3 in drive D (the letter in
// capitals, the number with two digits). Empty outside 1..99 or for a
// character that is no drive letter.
std::string WindowsCdTrackPath(char driveLetter, int track);
