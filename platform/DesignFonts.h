#pragma once
// What a Designer file cannot say about a font, said there as dynamic properties and applied
// here: "pointSizeF" (a fractional point size such as 8.25), "fontWeight" (a weight between
// the named ones, such as 900) and "fontFamilies" (the faces to fall back on, in turn).
class QWidget;

namespace stellmark::platform {

// Applies the properties to `root` and to every widget below it, parents before children.
void ApplyDesignFonts(QWidget* root);

}  // namespace stellmark::platform
