#include "ui/CPathList.h"

#include <QListWidget>

#include <atomic>

#include "ui/controls/UiThread.h"

namespace tonalbox::ui {

namespace {
std::atomic<const IPathList*> g_inputList{nullptr};
}  // namespace

int CPathList::GetCount() const {
    int count = 0;
    controls::RunOnUiThread([&] { count = m_list ? m_list->count() : 0; });
    return count;
}

std::string CPathList::GetPath(int index) const {
    std::string path;
    controls::RunOnUiThread([&] {
        if (!m_list || index < 0 || index >= m_list->count()) return;
        path = m_list->item(index)->text().toStdString();
    });
    return path;
}

void PublishInputList(const IPathList* list) { g_inputList = list; }

const IPathList* InputList() { return g_inputList; }

}  // namespace tonalbox::ui
