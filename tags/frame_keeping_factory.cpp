// A frame factory that keeps ID3v2.3's dropped frames. See
// frame_keeping_factory.h.
#include "tags/frame_keeping_factory.h"

bool FrameKeepingFactory::updateFrame(FrameHeaderName::Header* header) const {
  if (header->version() == 3) {
    const TagLib::ByteVector id = header->frameID();
    if (id == "TSIZ" || id == "TRDA" || id == "EQUA" || id == "RVAD") return true;
  }
  return TagLib::ID3v2::FrameFactory::updateFrame(header);
}
