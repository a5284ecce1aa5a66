#pragma once
// What a graphic needs to know about the surface it is drawn on. The canvas
// and the off-screen renderer fill one and pass it to every graphic's drawing.
#include <functional>

struct DrawingContext {
    bool viewIsFlipped = true;           // y grows downwards (always so on our surfaces)
    bool isCanvas = false;               // drawn on the editing canvas (not off screen)
    double deviceScale = 1.0;            // device pixels per point
    std::function<void()> refreshCanvas; // asked for after a graphic has drawn
};
