#pragma once
// The file list page's path list as the run's input: a list box that is
// never shown, read by count and index. Reads from another thread are
// carried out on the user interface thread, which owns the list box.

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

// The program-wide input list: published by the file list page when it is
// left; read by the run, the pre-listen and the result page. Null until
// the first publication.
void PublishInputList(const IPathList* list);
const IPathList* InputList();

}  // namespace tonalbox::ui
