// gl11_layer.h -- what a platform backend does with our GL 1.1 layer: make
// it on a fresh ES context, hand it the frame before a swap, drop it with
// the context. The drawing code only ever sees GL/gl.h.
#pragma once

namespace gl11 {

// Loads the ES calls and builds the program and buffers on the current
// context; resets every GL 1.1 state to its default. False when the ES
// context lacks what the layer needs.
bool CreateLayer();
// Lets go of the ES objects (the context is about to go); the GL 1.1 state,
// the camera included, stays readable.
void DestroyLayer();
// Draws everything batched so far; before a swap and a read-back.
void SubmitBatches();

}  // namespace gl11
