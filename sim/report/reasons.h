#pragma once
// The timeline's reasons: why what Ambleworks imposed changed, named in a
// player's words as far as the inputs and the calls show it, and nothing
// guessed beyond that. Each change looks for its cause among the inputs of
// the same tick and the two before it (the plug-in acts on a key in the tick
// after its key dispatcher saw it), then among held keys and the move input.
// reasons.cpp: switching, the wheel, stopping and moving on, the game;
// key_reasons.cpp: the sprint key and the walk-control key. A reason is
// data (reason.h): its kind and numbers; reason_words.cpp words it.

#include <string>

#include "report/reason_context.h"

namespace sim::report {

// Why run k started.
Reason findReason(ReasonContext& c, size_t k);

// Why a key release, a press or a hold of the sprint key or the walk-control
// key changed run k (key_reasons.cpp).
Reason releaseReason(const ReasonContext& c, size_t k, int pressIndex, const Run* prev);
Reason heldReason(const ReasonContext& c, size_t k, int pressIndex, const Run* prev);

// Why the plug-in pulsed the sprint control in `tick`.
Reason pulseReason(const Facts& facts, int tick);

// Why an input that changed nothing is still worth a word ("ignored:
// Ambleworks is off"), or a reason of kind none.
Reason quietInputReason(const InputItem& item, const Facts& facts);

// Why moving on after a stop with the speed kept changes nothing yet, or a
// reason of kind none.
Reason setOffReason(const ReasonContext& c, const InputItem& item);

}  // namespace sim::report
