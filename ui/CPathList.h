#pragma once
// The file list page's path list read as a list of paths: a list box that
// is never shown, read by count and index on the user interface thread. A
// run gets a snapshot of it, never the list itself.

#include <QListWidget>
#include <QPointer>

#include <string>

#include "engine/IPathList.h"

namespace tonalbox::ui {

class CPathList : public IPathList {
public:
    explicit CPathList(QListWidget* list = nullptr) : m_list(list) {}
    void SetListBox(QListWidget* list) { m_list = list; }

    int GetCount() const override;
    std::string GetPath(int index) const override;

private:
    QPointer<QListWidget> m_list;
};

}  // namespace tonalbox::ui
