#pragma once

// Minimal style pieces for building a movie in the tests: a top piece (header and
// background), a middle piece that opens the sprite (with the eight-byte slot for the
// stream head and a frame label after it) and a bottom piece that places the sprite.

#include <string>

#include "engine/hex.h"
#include "support/swf_reader.h"
#include "support/test_support.h"

namespace fixtures {

struct Pieces {
  std::string tp;
  std::string middle;
  std::string bottom;
};

inline Pieces movie_pieces() {
  namespace swf = testsupport::swf;
  Pieces p;
  // 200 x 73 pixels, 24 frames a second, one frame; FileLength is set by the build.
  p.tp = swf::header(6, 0, swf::rect(0, 4000, 0, 1460), 0x1800, 1) +
         swf::tag(swf::kSetBackgroundColor, Module29::hex_to_bytes("FFFFFF"));
  // DefineSprite, long form, length set by the build; id 1, one frame, the slot, a label.
  p.middle = Module29::hex_to_bytes(
                 "FF0900000000"
                 "0100"
                 "0100") +
             std::string(8, '\0') + swf::tag(43, std::string("snd\0", 4));
  // PlaceObject2 of character 1 at depth 1, ShowFrame, End.
  p.bottom = swf::tag(swf::kPlaceObject2, Module29::hex_to_bytes("02"
                                                                 "0100"
                                                                 "0100")) +
             swf::tag(swf::kShowFrame, "") + swf::tag(swf::kEnd, "");
  return p;
}

inline void write_pieces(const testsupport::TempAppDir& app, const Pieces& p = movie_pieces()) {
  testsupport::write_bytes(app.spd("tp.spd"), p.tp);
  testsupport::write_bytes(app.spd("middle.spd"), p.middle);
  testsupport::write_bytes(app.spd("bottom.spd"), p.bottom);
}

}  // namespace fixtures
