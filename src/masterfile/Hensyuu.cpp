#include "Hensyuu.h"

#include "masterfile/GridRows.h"
#include "masterfile/GridTable.h"
#include "masterfile/MasterFileLimits.h"
#include "platform/FontMap.h"
#include "platform/Messages.h"

#include <QAbstractItemDelegate>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>

#include <algorithm>
#include <array>

namespace dorimek::masterfile {
namespace {

// A cell far longer than any field of the file (a damaged line of
// megabytes) would keep the grid laying out its text for minutes. It shows
// its beginning and "…", can't be edited, and keeps its whole text here for
// the save, which then writes it back as it was read.
constexpr qsizetype kShownCellChars = static_cast<qsizetype>(kListedNameBytes);
constexpr int kWholeTextRole = Qt::UserRole + 1;

QTableWidgetItem* cellItem(const QString& text) {
    if (text.size() <= kShownCellChars) return new QTableWidgetItem(text);
    auto* item = new QTableWidgetItem(text.left(kShownCellChars) + QChar(0x2026));
    item->setData(kWholeTextRole, text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

// The window was laid out as an outer frame of 1027 × 620 at (-2, 101); the
// client area is that frame less the classic border and title bar.
constexpr int kLeft = -2;
constexpr int kTop = 101;
constexpr int kClientWidth = 1027 - 16;
constexpr int kClientHeight = 620 - 34;

constexpr std::array<int, GridRows::kColumns> kColumnWidths = {100, 100, 30, 50, 50, 300, 300, 50};

}  // namespace

QPointer<TForm2> TForm2::current_;

TForm2::TForm2(RebuildMasterList rebuildMasterList, QWidget* parent, const QString& path)
    : QWidget(parent, Qt::Window), rebuildMasterList_(std::move(rebuildMasterList)), path_(path) {
    // Closed editors stay alive with their owner; none is freed before the
    // program ends.
    setAttribute(Qt::WA_DeleteOnClose, false);
    current_ = this;
    buildControls();
    FormCreate();
}

TForm2::~TForm2() = default;

TForm2* TForm2::current() { return current_.data(); }

void TForm2::buildControls() {
    setWindowTitle(QStringLiteral("薬情ファイル編集"));
    setFont(platform::windowFont(platform::kGothicFace, 12));
    move(kLeft, kTop);
    resize(kClientWidth, kClientHeight);

    StringGrid1 = new GridTable(GridRows::kMinimumRows, GridRows::kColumns, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(0, -5, 1009, 526);
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setShowGrid(true);
    StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGrid1->setEditTriggers(
        QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
        QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    StringGrid1->setWordWrap(false);
    StringGrid1->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);

    const auto button = [this](const char* name, const QString& caption, int left, int width) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(left, 544, width, 25);
        b->setAutoDefault(false);
        return b;
    };
    Button1 = button("Button1", QStringLiteral("行挿入"), 40, 81);
    Button2 = button("Button2", QStringLiteral("行削除"), 144, 81);
    Button3 = button("Button3", QStringLiteral("保存して終了"), 248, 81);
    Button4 = button("Button4", QStringLiteral("中止"), 352, 73);

    setTabOrder(StringGrid1, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button3);
    setTabOrder(Button3, Button4);

    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm2::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm2::Button4Click);

    // Ctrl+Tab leaves the grid for the buttons from any cell, 500 rows or not.
    auto* toButtons = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), StringGrid1);
    toButtons->setContext(Qt::WidgetWithChildrenShortcut);
    connect(toButtons, &QShortcut::activated, this, [this] {
        // As after Tab: the style then draws the focus frame on the button.
        setAttribute(Qt::WA_KeyboardFocusChange);
        Button1->setFocus(Qt::TabFocusReason);
    });
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this,
            &TForm2::Button3Click);
    // A cell being edited takes Escape first and drops its edit; the next
    // Escape is for the window.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &TForm2::abandonAfterAsking);
}

void TForm2::FormCreate() {
    for (int c = 0; c < GridRows::kColumns; ++c) {
        StringGrid1->setColumnWidth(c, kColumnWidths[static_cast<size_t>(c)]);
    }
    load();
    focusCell(0, 0);
}

void TForm2::load() {
    const auto stamp = platform::stampFile(path_);
    loadedStamp_ = stamp ? std::optional(*stamp) : std::nullopt;
    const auto records = LoadDrugRecords(path_);
    loadFailed_ = !records.ok();
    if (loadFailed_) platform::showMessage(records.error());
    loaded_ = loadFailed_ ? std::vector<DrugRecord>{} : *records;
    const GridRows rows = GridRows::fromRecords(loaded_);
    origins_ = rows.origins();
    originsKnown_ = true;
    showRows(rows);
    shownRows_ = gridRows();
}

bool TForm2::overwriteAfterAsking(const GridRows& rows,
                                  std::optional<platform::FileStamp>& expected) {
    // Stamped before asking: a further save landing while the user reads
    // this is asked about again, not written over.
    const auto now = platform::stampFile(path_);
    const QString fileName = QFileInfo(path_).fileName();
    const int edits = rows.editCount(loaded_);
    const QString lost = edits > 0 ? QStringLiteral(
                                         "読み込み直すと、この画面でまだ保存していない %1 件の変更"
                                         "（書き換え・追加・削除した薬剤）は失われます。")
                                         .arg(edits)
                                   : QStringLiteral("この画面ではまだ何も変更していません。");
    const QString text =
        QStringLiteral(
            "%1 は、この画面で読み込んだ後に変更されました"
            "（「個別編集」の「編集終了」や、ほかのプログラムによる変更です）。\n"
            "このまま保存すると、その変更はこの画面の内容で上書きされ、失われます。\n"
            "%2")
            .arg(fileName, lost);
    const int choice = platform::choose(
        text, {QStringLiteral("読み込み直す"), QStringLiteral("上書きして保存")}, windowTitle());
    if (choice == 1) {
        expected = now ? std::optional(*now) : std::nullopt;
        return true;
    }
    if (choice == 0) {
        const int row = currentRow();
        const int column = std::max(0, StringGrid1->currentColumn());
        load();
        focusCell(std::min(row, StringGrid1->rowCount() - 1), column);
    }
    return false;
}

int TForm2::currentRow() const {
    const int row = StringGrid1->currentRow();
    return row < 0 ? 0 : row;
}

GridRows TForm2::gridRows() const {
    std::vector<GridRows::Row> rows(static_cast<size_t>(StringGrid1->rowCount()));
    for (int r = 0; r < StringGrid1->rowCount(); ++r) {
        for (int c = 0; c < GridRows::kColumns; ++c) {
            if (const QTableWidgetItem* item = StringGrid1->item(r, c)) {
                const QVariant whole = item->data(kWholeTextRole);
                rows[static_cast<size_t>(r)][static_cast<size_t>(c)] =
                    whole.isValid() ? whole.toString() : item->text();
            }
        }
    }
    return GridRows(std::move(rows), origins_);
}

void TForm2::showRows(const GridRows& rows) {
    StringGrid1->clearContents();
    StringGrid1->setRowCount(rows.rowCount());
    for (int r = 0; r < rows.rowCount(); ++r) {
        for (int c = 0; c < GridRows::kColumns; ++c) {
            const QString& text = rows.row(r)[static_cast<size_t>(c)];
            if (!text.isEmpty()) StringGrid1->setItem(r, c, cellItem(text));
        }
    }
}

void TForm2::focusCell(int row, int column) {
    StringGrid1->setCurrentCell(row, column);
    StringGrid1->scrollToItem(StringGrid1->item(row, column));
}

void TForm2::Button1Click() {
    // The current row and everything below it move down one; the grid grows.
    const int row = currentRow();
    const int column = std::max(0, StringGrid1->currentColumn());
    StringGrid1->insertRow(row);
    origins_.insert(origins_.begin() + std::min<ptrdiff_t>(row, std::ssize(origins_)), -1);
    focusCell(row, column);
    StringGrid1->setFocus();
}

void TForm2::Button2Click() {
    // The rows below move up one and an empty row takes the last place: the
    // grid never shrinks.
    const int row = currentRow();
    const int column = std::max(0, StringGrid1->currentColumn());
    StringGrid1->removeRow(row);
    StringGrid1->insertRow(StringGrid1->rowCount());
    if (row < std::ssize(origins_)) origins_.erase(origins_.begin() + row);
    origins_.push_back(-1);
    focusCell(std::min(row, StringGrid1->rowCount() - 1), column);
    StringGrid1->setFocus();
}

void TForm2::commitOpenEditor() {
    const QModelIndex index = StringGrid1->currentIndex();
    if (QWidget* editor = StringGrid1->indexWidget(index)) {
        StringGrid1->itemDelegateForIndex(index)->setModelData(editor, StringGrid1->model(), index);
    }
}

void TForm2::Button3Click() {
    // A cell still being edited holds text the grid doesn't have yet; the
    // user expects it saved like the rest.
    commitOpenEditor();

    const GridRows rows = gridRows();
    const GridRows::Plan plan = rows.planSave(loaded_);
    if (plan.problem) {
        platform::showMessage(plan.problem->message, windowTitle());
        focusCell(plan.problem->row, plan.problem->column);
        return;
    }
    const QString fileName = QFileInfo(path_).fileName();
    if (plan.records.empty() &&
        !platform::confirm(QStringLiteral("保存する薬剤が1件もありません。\n"
                                          "%1 を空にしてよろしいですか？")
                               .arg(fileName),
                           windowTitle())) {
        return;
    }
    if (loadFailed_ && QFileInfo::exists(path_) &&
        !platform::confirm(
            QStringLiteral(
                "%1 を読み込めなかったため、この画面にはファイルの内容が出ていません。\n"
                "保存するとファイルの内容がこの画面の内容に置き換わります。保存しますか？")
                .arg(fileName),
            windowTitle())) {
        return;
    }
    // The grid writes the rows it loaded: a change written since (by
    // "編集終了", another window or another program) would be undone without
    // a word. The save checks for one under the file's lock, so none can
    // land between the check and the write. A grid that couldn't load the
    // file was asked about just above; one whose stamp failed is asked now.
    std::optional<platform::FileStamp> expected = loadedStamp_;
    if (!loadFailed_ && !expected && !overwriteAfterAsking(rows, expected)) return;
    while (true) {
        const Status saved = SaveDrugRecords(plan.records, path_, plan.asRead,
                                             loadFailed_ ? std::nullopt : expected);
        if (saved) break;
        if (saved.errorKind() == ErrorKind::FileChanged) {
            if (!overwriteAfterAsking(rows, expected)) return;
            continue;
        }
        // The fixed text first, then what happened and that nothing was
        // saved; a busy lock says that itself.
        platform::showMessage(
            saved.errorKind() == ErrorKind::FileBusy
                ? saved.error()
                : QStringLiteral("ﾌｧｲﾙ %1 を作成できません\n%2").arg(fileName, saved.error()));
        return;
    }
    if (rebuildMasterList_) {
        // Without known origins the records are found again by their names.
        MasterRewrite rewrite{
            plan.records, plan.origins,
            originsKnown_ ? GridRows::registeredNames(loaded_) : std::vector<std::string>{}};
        rebuildMasterList_(rewrite);
    }
    discardAndClose();
}

void TForm2::Button4Click() { discardAndClose(); }

void TForm2::discardAndClose() {
    closeApproved_ = true;
    close();
}

bool TForm2::hasUnsavedEdits() {
    commitOpenEditor();
    return !(gridRows() == shownRows_);
}

UnsavedGrid TForm2::unsavedGrid() {
    commitOpenEditor();
    return {gridRows(), loadedStamp_};
}

void TForm2::restoreUnsaved(const UnsavedGrid& grid) {
    // The numbers are this file's only when it still holds what the editor
    // that kept the rows had loaded.
    originsKnown_ = grid.loadedStamp && loadedStamp_ && *grid.loadedStamp == *loadedStamp_;
    std::vector<GridRows::Row> rows;
    std::vector<int> origins;
    for (int r = 0; r < grid.rows.rowCount(); ++r) {
        rows.push_back(grid.rows.row(r));
        origins.push_back(originsKnown_ ? grid.rows.origin(r) : -1);
    }
    while (static_cast<int>(rows.size()) < GridRows::kMinimumRows) rows.emplace_back();
    // A save checks against what the rows were made from, not the file now.
    if (!originsKnown_) loadedStamp_ = grid.loadedStamp;
    origins_ = origins;
    showRows(GridRows(std::move(rows), std::move(origins)));
    focusCell(0, 0);
}

void TForm2::closeEvent(QCloseEvent* event) {
    if (!closeApproved_ && hasUnsavedEdits() &&
        !platform::confirm(QStringLiteral("編集した内容は保存されていません。\n"
                                          "保存せずに閉じてよろしいですか？"),
                           windowTitle())) {
        event->ignore();
        return;
    }
    closeApproved_ = true;
    QWidget::closeEvent(event);
}

void TForm2::abandonAfterAsking() {
    commitOpenEditor();
    if (!(gridRows() == shownRows_) &&
        !platform::confirm(QStringLiteral("編集した内容は保存されていません。\n"
                                          "保存せずに閉じてよろしいですか？"),
                           windowTitle())) {
        return;
    }
    discardAndClose();
}

}  // namespace dorimek::masterfile
