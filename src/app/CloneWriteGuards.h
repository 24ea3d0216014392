#pragma once
// The checks that refuse a clone write before anything goes on the line. An image without a
// programmed channel has nothing a radio could work with, and an image in which the warning
// check finds errors would put settings into the radio that it cannot use. The program's
// Clone Write and trelvix-clone's write both ask here, so the two refuse the same images with
// the same words. Nothing here shows anything: the caller shows or prints the text.

#include "image/cmcEeprom.h"

#include <functional>
#include <string>

namespace clonewrite {

// Whether any channel 0..511 that a bank holds is in use (has a receive frequency): those
// are the channels a write sends.
bool hasProgrammedChannel(cmcEeprom& image);

// The overlay key of the text that refuses writing `image`, or empty when the write may go
// on. `warningErrors` runs the warning check and returns its number of errors; it runs only
// when the image has a programmed channel.
std::string refusal(cmcEeprom& image, const std::function<int()>& warningErrors);

// The warning check's errors for an image outside the program (no window, no tree): the same
// check cells, evaluated on the image alone for the model kind.
int warningErrors(cmcEeprom& image, int modelKind);

}  // namespace clonewrite
