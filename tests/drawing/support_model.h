#pragma once
// Shared helpers of the drawing-model tests: filling every field of a graphic
// with distinct non-default values and comparing two graphics field by field.
#include "drawing/QBXGraphic.h"

#include <string>
#include <vector>

// Sets every stored field to a value that differs from its default (varied by
// `seed`). `makeText` decides whether the rich text is made.
void fillDistinct(QBXGraphic& g, int seed, bool makeText);

// The names of the stored fields whose values differ. The two double fields
// stored as floats are compared at float precision when `floatDoubles` is set.
std::vector<std::string> fieldDifferences(const QBXGraphic& a, const QBXGraphic& b, bool floatDoubles);

// A graphic of each of the seven classes.
GraphicList oneOfEachClass();

// The documented default of every archived field, by archive key: true when
// the graphic holds it. Independent of the code's own defaults.
bool holdsDocumentedDefault(const QBXGraphic& g, const QString& key);
