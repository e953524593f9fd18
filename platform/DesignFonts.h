#pragma once
// What a Designer file cannot say about a font, said there as dynamic properties and applied
// here: "pointSizeF" (a fractional point size such as 8.25), "fontWeight" (a weight between
// the named ones, such as 900) and "fontFamilies" (the faces to fall back on, in turn).
#include <memory>

class QObject;
class QWidget;

namespace stellmark::platform {

// Applies the properties to `root` and to every widget below it, parents before children.
void ApplyDesignFonts(QWidget* root);

// While it lives, the properties of `form` itself are applied the moment they are set. A
// Designer setup sets the form's properties before it creates the controls, which then start
// with the form's final font: none of them lays out its text in a font that is replaced right
// after. ApplyDesignFonts still follows for the controls' own properties.
class DesignFontsOnSet {
public:
    explicit DesignFontsOnSet(QWidget* form);
    ~DesignFontsOnSet();
    DesignFontsOnSet(const DesignFontsOnSet&) = delete;
    DesignFontsOnSet& operator=(const DesignFontsOnSet&) = delete;

private:
    std::unique_ptr<QObject> filter_;
};

}  // namespace stellmark::platform
