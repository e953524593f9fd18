#include "WindowFixture.h"

#include <QComboBox>

namespace stellmark::test {

std::vector<std::string> WindowTest::Entries() const
{
    std::vector<std::string> list;
    for (int i = 0; i < w->Combo1->count(); ++i)
        list.push_back(w->Combo1->itemText(i).toStdString());
    return list;
}

std::string WindowTest::Shown() const { return w->Combo1->currentText().toStdString(); }

}  // namespace stellmark::test
