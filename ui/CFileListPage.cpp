#include "ui/CFileListPage.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <algorithm>

#include "engine/MidiFileWalk.h"
#include "platform/ProgramPaths.h"
#include "ui/CSetTagDlg.h"
#include "ui_filelist_138.h"

namespace tonalbox::ui {

CFileListPage::CFileListPage(ConversionSettings& settings)
    : CWizardPage(IDD), m_settings(settings), m_ui(std::make_unique<Ui::Template138>()) {}

CFileListPage::~CFileListPage() = default;

void CFileListPage::SetupTemplate() { m_ui->setupUi(this); }

void CFileListPage::OnInitDialog() {
    m_pathList.SetListBox(m_ui->idc_1011);
    connect(m_ui->idc_1010, &QPushButton::clicked, this, &CFileListPage::OnAdd);
    connect(m_ui->idc_1012, &QPushButton::clicked, this, &CFileListPage::OnDelete);
    connect(m_ui->idc_1013, &QPushButton::clicked, this, &CFileListPage::OnClear);
    connect(m_ui->idc_1015, &QPushButton::clicked, this, &CFileListPage::OnSetTag);
    connect(m_ui->idc_1014, &QListWidget::itemSelectionChanged, this,
            &CFileListPage::OnNameSelectionChanged);
    m_ui->idc_1014->installEventFilter(this);
    // Files dropped on the list are added as Add would add them.
    m_ui->idc_1014->setAcceptDrops(true);
    m_ui->idc_1014->viewport()->setAcceptDrops(true);
    m_ui->idc_1014->viewport()->installEventFilter(this);
}

QListWidget* CFileListPage::NameList() const { return m_ui->idc_1014; }
QListWidget* CFileListPage::PathListBox() const { return m_ui->idc_1011; }

void CFileListPage::OnPageEnter() { show(); }

void CFileListPage::OnPageLeave() { hide(); }

int CFileListPage::PathCount() const { return m_ui->idc_1011 ? m_ui->idc_1011->count() : 0; }

void CFileListPage::EmptyLists() {
    m_ui->idc_1011->clear();
    m_ui->idc_1014->clear();
}

void CFileListPage::AppendFiles(const QStringList& paths) {
    for (const QString& path : paths) {
        m_ui->idc_1011->addItem(path);
        m_ui->idc_1014->addItem(
            QString::fromStdString(platform::FileNameOf(path.toStdString())));
    }
}

int CFileListPage::AddPaths(const QStringList& names) {
    QStringList files;
    for (const QString& name : names) {
        const QFileInfo info(name);
        if (info.isFile()) files << info.absoluteFilePath();
    }
    AppendFiles(files);
    return static_cast<int>(files.size());
}

void CFileListPage::OnAdd() {
    const QString allFiles = QStringLiteral("All Files (*.*)");
    QFileDialog dialog(this);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (!m_strLastAddFolder.isEmpty()) dialog.setDirectory(m_strLastAddFolder);
    // The program's own dialog, whose type filters match names in any
    // letter case ("X.MID" too); a desktop's dialog may match them exactly.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setNameFilters({QStringLiteral("Midi Music(*.mid)"), allFiles});
    // "*.*" stands for every file, also one without a dot in its name.
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, allFiles](const QString& filter) {
        if (filter != allFiles) return;
        if (auto* model = dialog.findChild<QFileSystemModel*>())
            model->setNameFilters({QStringLiteral("*")});
    });
    if (dialog.exec() != QDialog::Accepted) return;
    // Every file chosen is added, however long the selection.
    const QStringList chosen = dialog.selectedFiles();
    if (!chosen.isEmpty()) m_strLastAddFolder = QFileInfo(chosen.front()).absolutePath();
    AppendFiles(chosen);
}

void CFileListPage::OnDelete() {
    const QList<QListWidgetItem*> selected = m_ui->idc_1011->selectedItems();
    if (selected.isEmpty()) return;
    const int index = m_ui->idc_1011->row(selected.front());
    if (index < 0) return;
    delete m_ui->idc_1011->takeItem(index);
    {
        const QSignalBlocker block(m_ui->idc_1014);
        delete m_ui->idc_1014->takeItem(index);
        m_ui->idc_1014->clearSelection();
    }
    m_ui->idc_1011->clearSelection();
}

void CFileListPage::OnClear() { EmptyLists(); }

void CFileListPage::OnSetTag() {
    CSetTagDlg dlg(m_settings.m_tag, this);
    dlg.exec();
}

void CFileListPage::OnNameSelectionChanged() {
    const QList<QListWidgetItem*> selected = m_ui->idc_1014->selectedItems();
    if (selected.isEmpty()) return;
    const int index = m_ui->idc_1014->row(selected.front());
    if (index >= 0 && index < m_ui->idc_1011->count()) {
        m_ui->idc_1011->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    }
}

QStringList CFileListPage::MidiFilesAmong(const QStringList& localPaths) {
    QStringList midi;
    for (const QString& path : localPaths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            WalkMidiFolder(platform::WithTrailingSeparator(path.toStdString()), true,
                           [&midi](const std::string& found) { midi << QString::fromStdString(found); });
        } else if (info.isFile() && IsMidiFileName(info.fileName().toStdString())) {
            midi << path;
        }
    }
    return midi;
}

bool CFileListPage::MayHoldMidiFiles(const QStringList& localPaths) {
    return std::any_of(localPaths.begin(), localPaths.end(), [](const QString& path) {
        const QFileInfo info(path);
        return info.isDir() || (info.isFile() && IsMidiFileName(info.fileName().toStdString()));
    });
}

bool CFileListPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->idc_1014 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        OnDelete();
        return true;
    }
    if (watched == m_ui->idc_1014 && event->type() == QEvent::FocusIn) {
        // The name list gains the focus: the path list loses its selection.
        m_ui->idc_1011->clearSelection();
        m_ui->idc_1011->setCurrentRow(-1);
        return false;
    }
    if (watched == m_ui->idc_1014->viewport()) {
        auto localFiles = [](const QMimeData* data) {
            QStringList files;
            if (!data || !data->hasUrls()) return files;
            for (const QUrl& url : data->urls())
                if (url.isLocalFile()) files << url.toLocalFile();
            return files;
        };
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                auto* drag = static_cast<QDropEvent*>(event);
                if (MayHoldMidiFiles(localFiles(drag->mimeData()))) {
                    drag->setDropAction(Qt::CopyAction);
                    drag->accept();
                } else {
                    drag->ignore();
                }
                return true;
            }
            case QEvent::Drop: {
                auto* drop = static_cast<QDropEvent*>(event);
                const QStringList files = MidiFilesAmong(localFiles(drop->mimeData()));
                if (files.isEmpty()) {
                    drop->ignore();
                } else {
                    AppendFiles(files);
                    drop->setDropAction(Qt::CopyAction);
                    drop->accept();
                }
                return true;
            }
            default:
                break;
        }
    }
    return CWizardPage::eventFilter(watched, event);
}

}  // namespace tonalbox::ui
