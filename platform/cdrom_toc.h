// TableFromCdromToc: a TableOfContents from the table a drive returns to
// READ TOC in its standard format (format 0, addresses as minute, second,
// frame), as Windows' IOCTL_CDROM_READ_TOC delivers it: a 2-byte big-endian
// length, the first and last track numbers, then one 8-byte descriptor per
// track and one for the lead-out (reserved, ADR and control nibbles, track
// number, reserved, address 0/M/S/F).
//
// The conversion checks what a drive or driver may get wrong: a length that
// does not cover the descriptors it promises, track numbers outside 1..99 or
// in the wrong order, descriptors out of sequence, a missing lead-out, or a
// start before the disc's first block. Any of these gives false with `toc`
// cleared; a table is never half filled.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/table_of_contents.h"

bool TableFromCdromToc(const uint8_t* bytes, size_t size, TrackAddressForm form,
                       TableOfContents& toc);
