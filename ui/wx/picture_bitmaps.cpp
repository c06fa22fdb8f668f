// The window's pictures as wx images. See picture_bitmaps.h.
#include "ui/wx/picture_bitmaps.h"

#include <wx/icon.h>
#include <wx/image.h>

#include <cstdlib>
#include <cstring>

namespace {

wxImage ImageOfPicture(const RgbaPicture& picture) {
  const size_t pixels = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
  // wxImage takes malloc'ed planes and frees them itself.
  auto* rgb = static_cast<unsigned char*>(std::malloc(pixels * 3));
  auto* alpha = static_cast<unsigned char*>(std::malloc(pixels));
  if (rgb == nullptr || alpha == nullptr) std::abort();
  for (size_t i = 0; i < pixels; ++i) {
    std::memcpy(rgb + 3 * i, picture.pixels.data() + 4 * i, 3);
    alpha[i] = picture.pixels[4 * i + 3];
  }
  return wxImage(picture.width, picture.height, rgb, alpha);
}

}  // namespace

wxBitmap BitmapOfPicture(const RgbaPicture& picture) {
  return wxBitmap(ImageOfPicture(picture));
}

wxImageList* NewRowImageList() {
  auto* list = new wxImageList(16, 16, false, 6);
  for (RowImage image : {RowImage::kNone, RowImage::kAnalysed, RowImage::kFailed,
                         RowImage::kSetByHand, RowImage::kFromTag, RowImage::kUnsure})
    list->Add(BitmapOfPicture(RowImagePicture(image)));
  return list;
}

wxIconBundle ApplicationIcons() {
  const wxImage large = ImageOfPicture(ApplicationIconPicture());
  wxIconBundle icons;
  for (const wxImage& image : {large, large.Scale(16, 16, wxIMAGE_QUALITY_HIGH)}) {
    wxIcon icon;
    icon.CopyFromBitmap(wxBitmap(image));
    icons.AddIcon(icon);
  }
  return icons;
}
