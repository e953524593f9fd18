#include "platform/DesignFonts.h"

#include <QEvent>
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

class OnSet : public QObject {
public:
    explicit OnSet(QWidget* form) : form_(form) { form_->installEventFilter(this); }
    ~OnSet() override { form_->removeEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == form_ && event->type() == QEvent::DynamicPropertyChange)
            Apply(form_);
        return false;
    }

private:
    QWidget* form_;
};
}  // namespace

void ApplyDesignFonts(QWidget* root)
{
    Apply(root);
    // findChildren lists a parent before its children, so a child that inherits a size from
    // its parent receives it before its own properties are applied.
    for (QWidget* w : root->findChildren<QWidget*>())
        Apply(w);
}

DesignFontsOnSet::DesignFontsOnSet(QWidget* form) : filter_(std::make_unique<OnSet>(form)) {}

DesignFontsOnSet::~DesignFontsOnSet() = default;

}  // namespace stellmark::platform
