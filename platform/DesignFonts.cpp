#include "platform/DesignFonts.h"

#include <QFont>
#include <QVariant>
#include <QWidget>

namespace stellmark::platform {

namespace {
void Apply(QWidget* w)
{
    const QVariant size = w->property("pointSizeF");
    const QVariant weight = w->property("fontWeight");
    const QVariant families = w->property("fontFamilies");
    if (!size.isValid() && !weight.isValid() && !families.isValid())
        return;
    QFont f = w->font();
    if (size.isValid())
        f.setPointSizeF(size.toDouble());
    if (weight.isValid())
        f.setWeight(static_cast<QFont::Weight>(weight.toInt()));
    if (families.isValid())
        f.setFamilies(families.toStringList());
    w->setFont(f);
}
}  // namespace

void ApplyDesignFonts(QWidget* root)
{
    Apply(root);
    // findChildren lists a parent before its children, so a child that inherits a size from
    // its parent receives it before its own properties are applied.
    for (QWidget* w : root->findChildren<QWidget*>())
        Apply(w);
}

}  // namespace stellmark::platform
