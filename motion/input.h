// input.h -- the keys held at the start of a frame: the command that the
// key handlers fill and the motion and camera steps take, so that motion
// reads its input from its caller rather than from the shell's state.
#pragma once

// Each flag is 1 while its key is held, else 0; moveKeyHeld is Up or Down,
// sideKeyHeld Left or Right.
struct HeldKeys {
    int ctrlHeld = 0, spaceHeld = 0, upHeld = 0, downHeld = 0, leftHeld = 0, rightHeld = 0;
    int moveKeyHeld = 0, sideKeyHeld = 0;
};
