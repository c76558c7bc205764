#include "ui/CPathList.h"

#include <QListWidget>

namespace tonalbox::ui {

int CPathList::GetCount() const { return m_list ? m_list->count() : 0; }

std::string CPathList::GetPath(int index) const {
    if (!m_list || index < 0 || index >= m_list->count()) return {};
    return m_list->item(index)->text().toStdString();
}

}  // namespace tonalbox::ui
