// FrameKeepingFactory: the TagLib frame factory the tag layer reads ID3v2
// tags with, so that rewriting a tag keeps its frames.
//
// TagLib reads every tag as ID3v2.4. Frames of ID3v2.3 that ID3v2.4 dropped
// and that TagLib has no ID3v2.4 form for (TSIZ, TRDA, EQUA, RVAD) would be
// discarded on reading, and so lost when the tag is written back as ID3v2.3.
// This factory keeps them as they are; every other frame is read as TagLib
// reads it. Only the tag layer's sources include this header.
#pragma once

#include <taglib/id3v2frame.h>
#include <taglib/id3v2framefactory.h>

// TagLib lets only frame classes name the frame header type that factories
// are handed: this one, never made, names it for the factory.
class FrameHeaderName : public TagLib::ID3v2::Frame {
 public:
  using Header = TagLib::ID3v2::Frame::Header;
  FrameHeaderName() = delete;
};

class FrameKeepingFactory : public TagLib::ID3v2::FrameFactory {
 public:
  FrameKeepingFactory() = default;

 protected:
  bool updateFrame(FrameHeaderName::Header* header) const override;
};
