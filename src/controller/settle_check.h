#pragma once
// The settle check: a custom speed the game will not reach (the ped wants
// less than the target) is corrected, a few ticks after it was set, to what
// the ped can do: its own desired speed when that is a run, else the built-in
// fast walk.

// Arms the check to judge the target 3 ticks from now (counted down by each
// tick that reaches the apply step). Asks the game nothing.
void armSettleCheck();
// The settle part of the apply step: the countdown, the check once it has run
// out, then arming the check for a fast target the ped does not want.
void settleCheck();
