#include "Main.h"

#include "AutoStart.h"
#include "KanaIndex.h"
#include "MainLayout.h"
#include "MainMessages.h"
#include "MasterListBox.h"
#include "MasterListText.h"
#include "RpCsvFile.h"
#include "RpCsvImport.h"
#include "SheetForms.h"
#include "masterfile/DrugMasterFile.h"
#include "masterfile/GridRecovery.h"
#include "masterfile/Hensyuu.h"
#include "masterfile/MasterFileLimits.h"
#include "masterfile/MasterLines.h"
#include "platform/FontMap.h"
#include "platform/Messages.h"
#include "platform/PlatformVersion.h"
#include "platform/ProgramFolder.h"
#include "platform/RadioGroupKeys.h"
#include "platform/Sjis.h"
#include "preview/Visprev.h"
#include "sheets/Yakujo.h"
#include "sheets/engine/ReportPrinter.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSessionManager>
#include <QSignalBlocker>

#include <algorithm>
#include <exception>

namespace dorimek::mainwin {
namespace {

TForm3* currentInstance = nullptr;

constexpr int kSmallFontPx = 12;
constexpr int kLargeFontPx = 15;

// The drug lists, the record fields and the memos are read closely by the
// staff, so they use a larger face in plain black.
void useLargeBlackFont(QWidget* w) {
    w->setFont(platform::windowFont(platform::kGothicFace, kLargeFontPx));
    QPalette pal = w->palette();
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::black);
    w->setPalette(pal);
}

int numberAfter(const char* name, const char* prefix) {
    return QString::fromLatin1(name).mid(static_cast<qsizetype>(qstrlen(prefix))).toInt();
}

void fillUsageItems(QComboBox* box, const QStringList& items) {
    box->clear();
    box->addItems(items);
    // Adding items to an empty box makes the first one current; a usage box
    // starts empty and shows only what the user or the import puts there.
    box->setCurrentIndex(-1);
    box->clearEditText();
}

}  // namespace

TForm3::TForm3(QStringList arguments, QString programFolder, QWidget* parent)
    : QWidget(parent), arguments_(std::move(arguments)), programFolder_(std::move(programFolder)) {
    currentInstance = this;
    buildControls();
    connectHandlers();
    try {
        FormCreate();
    } catch (const std::exception& e) {
        // Start-up goes on with whatever FormCreate got done; a host-started
        // run ends with it, as nobody may be there to carry on.
        platform::showMessage(QString::fromLocal8Bit(e.what()));
        if (AutoStart::isAutoArgument(argument(1))) {
            noteAutoRunOutcome(AutoRunOutcome::InternalError);
            requestTermination();
        }
    }
}

TForm3::~TForm3() {
    // The list shows masterList_, which goes before the list does.
    if (listBox1_) listBox1_->setEntries(nullptr);
    if (currentInstance == this) currentInstance = nullptr;
}

TForm3* TForm3::instance() { return currentInstance; }

// ---------------------------------------------------------------- layout

void TForm3::buildControls() {
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("薬剤情報提供書"));
    setFont(platform::windowFont(platform::kGothicFace, kSmallFontPx));
    move(kWindowLeft, kWindowTop);
    resize(kClientWidth, kClientHeight);

    using K = ControlSpec::Kind;
    for (const ControlSpec& c : mainWindowControls()) {
        const QString name = QString::fromLatin1(c.name);
        const QString caption = QString::fromUtf8(c.caption);
        QWidget* w = nullptr;
        switch (c.kind) {
            case K::Label: {
                auto* label = new QLabel(caption, this);
                label->move(c.left, c.top);
                label->adjustSize();
                w = label;
                break;
            }
            case K::ListBox: {
                const bool master = name == QLatin1String("ListBox1");
                QListView* list = master ? static_cast<QListView*>(new MasterListBox(this))
                                         : new QListWidget(this);
                list->setSelectionMode(QAbstractItemView::SingleSelection);
                list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
                if (master) {
                    listBox1_ = static_cast<MasterListBox*>(list);
                    useLargeBlackFont(list);
                } else if (name == QLatin1String("ListBox2")) {
                    listBox2_ = static_cast<QListWidget*>(list);
                    useLargeBlackFont(list);
                    list->setUniformItemSizes(true);
                    list->setSpacing(0);
                } else {
                    listBox3_ = static_cast<QListWidget*>(list);
                }
                w = list;
                break;
            }
            case K::Button: {
                auto* b = new QPushButton(caption, this);
                buttons_[numberAfter(c.name, "Button")] = b;
                w = b;
                break;
            }
            case K::GroupBox:
                w = new QGroupBox(caption, this);
                break;
            case K::RadioButton: {
                auto* r = new QRadioButton(caption, this);
                // The captions were sized for a smaller indicator than this
                // style draws; without this the last character is cut off.
                r->setStyleSheet(QStringLiteral("QRadioButton { spacing: 2px; }"
                                                " QRadioButton::indicator { width: 11px; height: 11px; }"));
                radioButtons_[numberAfter(c.name, "RadioButton")] = r;
                w = r;
                break;
            }
            case K::Edit: {
                auto* e = new QLineEdit(caption, this);
                const int n = numberAfter(c.name, "Edit");
                edits_[n] = e;
                if (n <= 6) useLargeBlackFont(e);
                // The settings' fields once showed their names ("Edit7") until
                // the file filled them, and a save stored those as settings.
                // An empty field with a hint is never taken for a value.
                if (n >= 7) e->setPlaceholderText(QStringLiteral("未設定"));
                w = e;
                break;
            }
            case K::Memo: {
                auto* m = new QPlainTextEdit(this);
                useLargeBlackFont(m);
                // A record's field holds no tab: Tab moves on to the next
                // field, as in every other field of the window.
                m->setTabChangesFocus(true);
                (name == QLatin1String("Memo1") ? memo1_ : memo2_) = m;
                w = m;
                break;
            }
            case K::CheckBox:
                checkBox1_ = new QCheckBox(caption, this);
                w = checkBox1_;
                break;
        }
        w->setObjectName(name);
        if (c.width > 0) w->setGeometry(c.left, c.top, c.width, c.height);

        // The grids go where the designer's tab order has them.
        if (name == QLatin1String("ListBox1")) buildKanaButtons();
        if (name == QLatin1String("Label17")) buildUsageBoxes();
    }
    // The three print styles are one choice: one tab stop, arrows choose.
    auto* printStyles = new QButtonGroup(this);
    for (const auto& [n, r] : radioButtons_) printStyles->addButton(r, n);
    platform::keepTabStopOnChecked(*printStyles);
    button(52)->setEnabled(false);  // usable only once a record is loaded
    listBox1_->setFocus();
}

void TForm3::buildKanaButtons() {
    for (const KanaButton& k : kanaButtons()) {
        auto* b = new QPushButton(QString::fromUtf8(k.caption), this);
        b->setObjectName(QStringLiteral("Button%1").arg(k.number));
        b->setGeometry(kKanaGridLeft + kKanaGridPitch * k.column,
                       kKanaGridTop + kKanaGridPitch * k.row, kKanaButtonSize, kKanaButtonSize);
        buttons_[k.number] = b;
        const unsigned char code = k.code;
        connect(b, &QPushButton::clicked, this, [this, code] { ScrollToKana(code); });
    }
}

void TForm3::buildUsageBoxes() {
    QStringList items;
    for (const char* item : designTimeUsageItems()) items << QString::fromUtf8(item);
    for (int n = 1; n <= kUsageBoxCount; ++n) {
        auto* box = new QComboBox(this);
        box->setObjectName(QStringLiteral("ComboBox%1").arg(n));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setMaxVisibleItems(16);
        box->setGeometry(kUsageBoxLeft, usageBoxTop(n), kUsageBoxWidth, kUsageBoxHeight);
        fillUsageItems(box, items);
        comboBoxes_[n] = box;
        connect(box, &QComboBox::editTextChanged, this,
                [this, n](const QString& text) { usageBoxEdited(n, text); });
    }
}

void TForm3::connectHandlers() {
    connect(button(47), &QPushButton::clicked, this, &TForm3::Button47Click);
    connect(button(48), &QPushButton::clicked, this, &TForm3::Button48Click);
    connect(button(49), &QPushButton::clicked, this, &TForm3::Button49Click);
    connect(button(38), &QPushButton::clicked, this, &TForm3::Button38Click);
    connect(button(40), &QPushButton::clicked, this, &TForm3::Button40Click);
    connect(button(50), &QPushButton::clicked, this, &TForm3::Button50Click);
    connect(button(51), &QPushButton::clicked, this, &TForm3::Button51Click);
    connect(button(52), &QPushButton::clicked, this, &TForm3::Button52Click);
    connect(button(53), &QPushButton::clicked, this, &TForm3::Button53Click);
    connect(button(54), &QPushButton::clicked, this, &TForm3::Button54Click);
    connect(button(55), &QPushButton::clicked, this, &TForm3::Button55Click);
    connect(button(56), &QPushButton::clicked, this, &TForm3::Button56Click);

    // A click on an entry adds it, also when it is the one already selected;
    // so do Return and Space. Moving through the list by keyboard, or by
    // typing a name, adds nothing.
    connect(listBox1_, &MasterListBox::entryChosen, this, &TForm3::ListBox1Click);
    listBox1_->viewport()->installEventFilter(this);
    listBox1_->installEventFilter(this);
    listBox2_->viewport()->installEventFilter(this);
    connect(listBox2_, &QListWidget::itemDoubleClicked, this, &TForm3::ListBox2DblClick);
    // The usage boxes scroll with the lines they stand beside.
    connect(listBox2_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { showUsages(); });
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((watched == listBox1_->viewport() || watched == listBox2_->viewport()) &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
         type == QEvent::MouseButtonDblClick) &&
        static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) {
        // Only the left button picks a drug or removes a line: a stray
        // right or middle click must not change the prescription.
        return true;
    }
    if (watched == listBox1_ && type == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down &&
        listBox1_->selectedRow() < 0 && listBox1_->count() > 0) {
        // The list gets a current entry with the focus, though nothing is
        // selected yet; the first step down goes to the first entry, not the
        // one after it.
        listBox1_->moveToRow(0);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- accessors

QComboBox* TForm3::comboBox(int n) const {
    auto it = comboBoxes_.find(n);
    return it == comboBoxes_.end() ? nullptr : it->second;
}

QRadioButton* TForm3::radioButton(int n) const {
    auto it = radioButtons_.find(n);
    return it == radioButtons_.end() ? nullptr : it->second;
}

QLineEdit* TForm3::edit(int n) const {
    auto it = edits_.find(n);
    return it == edits_.end() ? nullptr : it->second;
}

QPushButton* TForm3::button(int n) const {
    auto it = buttons_.find(n);
    return it == buttons_.end() ? nullptr : it->second;
}

QString TForm3::argument(int n) const {
    return n < arguments_.size() ? arguments_.at(n) : QString();
}

int TForm3::printStyle() const {
    if (radioButton(2)->isChecked()) return 2;
    if (radioButton(3)->isChecked()) return 3;
    return 1;
}

int TForm3::listBox1TopIndex() const { return listBox1_->verticalScrollBar()->value(); }

// ---------------------------------------------------------------- start-up

void TForm3::FormCreate() {
    useScreenPreview_ = false;
    if (const auto major = platform::majorVersion(); major && *major > 5) useScreenPreview_ = true;

    // Bare file names are looked for in the program's folder from here on;
    // when it can't be entered they are looked for wherever we are.
    platform::setCurrentDirectory(programFolder_);

    masterfile::LimitWatch limits;
    platform::LineDebris debris;
    auto names = masterfile::LoadRegisteredNames(masterfile::kMasterFileName, &limits, &debris);
    if (!names) {
        platform::showMessage(names.errorKind() == ErrorKind::WrongEncoding
                                  ? names.error()
                                  : messages::kMasterFileMissing);
        // The window opens for the staff to restore the file; a host-started
        // run has nobody to do that and ends with the cause.
        if (AutoStart::isAutoArgument(argument(1))) {
            noteAutoRunOutcome(AutoRunOutcome::MasterUnreadable);
            requestTermination();
        }
        return;
    }
    setMasterList(std::move(names).value());
    masterFileLoaded_ = true;
    if (limits.sawAbsurdRecord()) platform::showMessage(limits.message(masterfile::kMasterFileName));
    if (const QString skipped = masterfile::debrisMessage(debris, masterfile::kMasterFileName);
        !skipped.isEmpty()) {
        platform::showMessage(skipped);
    }

    settings_.readAtStart();

    if (AutoStart::isAutoArgument(argument(1))) {
        // Nobody is there to answer: the kept edits wait for an ordinary start.
        runAutoStart();
        return;
    }
    // Once the window stands, so that the question has it behind it.
    QMetaObject::invokeMethod(this, &TForm3::offerUnsavedGrids, Qt::QueuedConnection);
}

void TForm3::setMasterList(masterfile::MasterNames names) {
    const QSignalBlocker blocker(listBox1_);
    // The list reads the names it shows: it lets go of them before they change.
    listBox1_->setEntries(nullptr);
    masterList_ = std::move(names);
    ++masterListGeneration_;
    listBox1_->setEntries(&masterList_);
}

void TForm3::rebindPrescription(const masterfile::MasterRewrite* rewrite) {
    const prescription::PrescriptionState::Rebound rebound =
        rewrite ? prescription_.rebindAfterSave(*rewrite) : prescription_.rebindTo(masterList_);
    // Renamed records show their new names in the lines; removed lines took
    // their usages along.
    syncPrescriptionList();
    if (rebound.nameOnly.empty() && rebound.removed.empty()) return;
    QString text = QStringLiteral("薬剤ファイルが書き換えられ、処方の次の薬剤が見つからなくなりました。");
    if (!rebound.nameOnly.empty()) {
        text += QStringLiteral("\n薬剤名だけ記載します:");
        for (const std::string& name : rebound.nameOnly)
            text += QStringLiteral("\n  ") + masterfile::messageName(name);
    }
    if (!rebound.removed.empty()) {
        text += QStringLiteral("\n処方から外しました:");
        for (const std::string& name : rebound.removed)
            text += QStringLiteral("\n  ") + masterfile::messageName(name);
    }
    platform::showMessage(text);
}

void TForm3::runAutoStart() { AutoStart::run(*this); }

void TForm3::requestTermination() {
    terminationRequested_ = true;
    // Posted, so that it takes effect once the event loop runs even when
    // asked for before it has started.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
}

// ---------------------------------------------------------------- drug selection

void TForm3::ScrollToKana(unsigned char code) {
    if (const auto i = findKanaEntry(masterList_, code)) scrollListBox1To(*i);
}

void TForm3::Button47Click() {
    if (const auto i = alphanumericEntry(masterList_)) scrollListBox1To(*i);
}

void TForm3::Button48Click() {
    if (const auto i = findDoubleByteEntry(masterList_)) scrollListBox1To(*i);
}

void TForm3::scrollListBox1To(int index) {
    // The top entry moves; the selection stays where it was.
    const QModelIndex entry = listBox1_->entry(index);
    if (entry.isValid()) listBox1_->scrollTo(entry, QAbstractItemView::PositionAtTop);
}

void TForm3::ListBox1Click() {
    const int i = listBox1_->selectedRow();
    if (i < 0 || i >= static_cast<int>(masterList_.size())) return;
    const std::string_view name = masterList_[static_cast<size_t>(i)];
    switch (appendKnownLine(name, i)) {
        case prescription::AppendResult::ListFull:
            platform::showMessage(messages::kPrescriptionFull);
            break;
        case prescription::AppendResult::AbsurdName:
            platform::showMessage(masterfile::absurdNameMessage(name));
            break;
        default:
            break;
    }
}

void TForm3::ListBox2DblClick() {
    const QList<QListWidgetItem*> selected = listBox2_->selectedItems();
    if (selected.isEmpty()) return;
    const int row = listBox2_->row(selected.first());
    prescription_.removeLine(row + 1);
    delete listBox2_->takeItem(row);
    showUsages();
    // The list would pass the selection on to the next line, and 個別編集
    // would then edit a drug the user never chose.
    listBox2_->setCurrentRow(-1);
    listBox2_->clearSelection();
}

void TForm3::Button49Click() {
    // The usages stay for the lines added next, as the boxes' texts did.
    prescription_.clear();
    listBox2_->clear();
    showUsages();
}

prescription::AppendResult TForm3::appendKnownLine(std::string_view sjisText, int masterIndex) {
    const prescription::AppendResult r = prescription_.appendKnown(sjisText, masterIndex);
    if (r == prescription::AppendResult::Appended) addPrescriptionItem(sjisText);
    return r;
}

prescription::AppendResult TForm3::appendUnknownLine(std::string_view sjisText) {
    const prescription::AppendResult r = prescription_.appendUnknown(sjisText);
    if (r == prescription::AppendResult::Appended) addPrescriptionItem(sjisText);
    return r;
}

void TForm3::syncPrescriptionList() {
    listBox2_->clear();
    for (int n = 1; n <= prescription_.lineCount(); ++n)
        addPrescriptionItem(prescription_.lineText(n));
    showUsages();
}

void TForm3::addPrescriptionItem(std::string_view sjisText) {
    // Lines are far shorter than the bound, which only keeps a damaged name
    // from being laid out whole.
    auto* item = new QListWidgetItem(masterfile::listedName(sjisText));
    // Fixed line height, so that each line stays beside its usage box.
    item->setSizeHint(QSize(listBox2_->fontMetrics().horizontalAdvance(item->text()) + 4,
                            kPrescriptionLineHeight));
    listBox2_->addItem(item);
}

bool TForm3::checkUsagesPrintable() {
    for (int n = 1; n <= prescription_.lineCount(); ++n) {
        const QString bad = platform::firstUnencodable(prescription_.usage(n).unprintable);
        if (!bad.isEmpty()) {
            platform::showMessage(messages::kUnprintableUsage.arg(n).arg(bad));
            return false;
        }
    }
    return true;
}

std::string TForm3::usageText(int n) const { return prescription_.usage(n).text; }

void TForm3::setUsageText(int n, std::string_view sjisText) {
    prescription_.setUsage(n, sjisText);
    showUsages();
}

int TForm3::usageBoxLine(int box) const { return listBox2_->verticalScrollBar()->value() + box; }

void TForm3::showUsages() {
    showingUsages_ = true;
    for (int box = 1; box <= kUsageBoxCount; ++box) {
        QComboBox* combo = comboBox(box);
        const int n = usageBoxLine(box);
        // Only with 24 lines and the list scrolled to its end can the last
        // box stand beside no position at all.
        const bool position = n <= prescription::PrescriptionState::kMaxLines;
        combo->setEnabled(position);
        const prescription::Usage& usage = prescription_.usage(n);
        const QString text = !position                     ? QString()
                             : usage.unprintable.isEmpty() ? masterfile::listedName(usage.text)
                                                           : usage.unprintable;
        // Setting the same text again would move the cursor of a box being typed in.
        if (combo->currentText() != text) combo->setEditText(text);
    }
    showingUsages_ = false;
}

void TForm3::usageBoxEdited(int box, const QString& text) {
    if (showingUsages_) return;
    const int n = usageBoxLine(box);
    if (n > prescription::PrescriptionState::kMaxLines) return;
    bool encodable = true;
    std::string bytes = platform::fromUnicode(text, &encodable);
    // Text the sheet can't print is kept as typed, for the check before
    // printing to name the character.
    prescription_.setUsage(
        n, encodable ? prescription::Usage{std::move(bytes), {}} : prescription::Usage{{}, text});
}

void TForm3::setUsageItems(const QStringList& items) {
    // Refilling a box empties its text; the usages themselves stay.
    showingUsages_ = true;
    for (int n = 1; n <= kUsageBoxCount; ++n) fillUsageItems(comboBox(n), items);
    showingUsages_ = false;
    showUsages();
}

// ---------------------------------------------------------------- settings and printer

void TForm3::Button55Click() { settings_.save(); }

void TForm3::Button56Click() { settings_.setUpPrinter(); }

// ---------------------------------------------------------------- import

void TForm3::Button54Click() { (void)importPrescription(); }

ImportReport TForm3::importPrescription() {
    // The work folder as read at start, not what Edit7 shows now.
    ImportReport report =
        RpCsvImport::run(RpCsvFile::pathIn(settings_.qevWorkPath()), masterList_, prescription_);
    syncPrescriptionList();
    // The list is complete before the first message, so the user sees every
    // line the messages speak of.
    RpCsvImport::showMessages(report);
    return report;
}

// ---------------------------------------------------------------- sheets

sheets::TForm1* TForm3::sheetForStyle(int style) {
    return SheetForms::currentOrCreate(style, *this, sheetSettings(), this);
}

void TForm3::printSheet() {
    // A sheet without a line would be a blank page handed to nobody.
    if (prescription_.lineCount() == 0) {
        platform::showMessage(messages::kNothingToPrint);
        return;
    }
    if (!checkUsagesPrintable()) return;
    (void)sheetForStyle(printStyle())->Yakujorep.Print();
}

preview::TForm6* TForm3::openScreenPreview() {
    // The preview's own "印刷" asks for the style checked when it is pressed,
    // not the one checked when the preview opened.
    auto* preview = new preview::TForm6(
        *this, [this] { printSheet(); }, this);
    preview->setFitNotice(printedFitNotice());
    preview->show();
    return preview;
}

QString TForm3::printedFitNotice() {
    // Only a printer with margins can need a reduction; the sheet is laid
    // out only then, to measure its ink.
    const report::PrintableMargins m = report::ReportPrinter::printableMargins(printerIndex());
    if (m.left == 0 && m.top == 0 && m.right == 0 && m.bottom == 0) return {};
    if (prescription_.lineCount() == 0) return {};
    const report::RunResult run = sheetForStyle(printStyle())->Yakujorep.run({false, {}});
    return run.document ? run.document->fit.notice() : QString();
}

void TForm3::Button38Click() {
    if (!checkUsagesPrintable()) return;
    if (useScreenPreview_) {
        // A closed preview is gone for good: a day of them mustn't pile up.
        openScreenPreview()->setAttribute(Qt::WA_DeleteOnClose);
        return;
    }
    sheetForStyle(printStyle())->Yakujorep.Preview();
}

void TForm3::Button40Click() { printSheet(); }

// ---------------------------------------------------------------- master file

void TForm3::Button50Click() { openGridEditor(); }

masterfile::TForm2* TForm3::openGridEditor() {
    auto* editor = new masterfile::TForm2(
        [this, generation = masterListGeneration_](const masterfile::MasterRewrite& rewrite) {
            // The editor's record numbers are those of the list loaded when
            // it opened; after another save they aren't this window's.
            const bool sameNumbers = generation == masterListGeneration_;
            setMasterList(rewrite.names());
            rebindPrescription(sameNumbers ? &rewrite : nullptr);
            if (sameNumbers) drugEdit_.followRewrite(rewrite);
        },
        this);
    // A closed editor holds the whole file in its grid: it goes with its window.
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->show();
    return editor;
}

void TForm3::Button51Click() { drugEdit_.loadSelectedLine(); }

void TForm3::Button52Click() { drugEdit_.finish(); }

void TForm3::renameMasterEntry(int index, const std::string& oldName, const std::string& newName) {
    // A renamed record keeps its lines and its master-list entry: the sheets
    // find a line's record by its name, and a stale entry would add lines
    // that no record carries.
    if (index < 0 || index >= static_cast<int>(masterList_.size()) ||
        masterList_[static_cast<size_t>(index)] != oldName)
        return;
    masterList_.replace(static_cast<size_t>(index), newName);
    listBox1_->entryChanged(index);
    prescription_.renameRecord(index, oldName, newName);
    syncPrescriptionList();
}

void TForm3::Button53Click() { close(); }

void TForm3::closeEvent(QCloseEvent* event) {
    if (!closeApproved_ && !terminationRequested_ && !mayDropUnsaved()) {
        event->ignore();
        return;
    }
    approveClose();
    QWidget::closeEvent(event);
    if (!event->isAccepted()) return;
    // The user has answered for the edits kept earlier in this run.
    if (keptUnsaved_ && !endingUnasked_)
        masterfile::GridRecovery::discard(programFolder_ + masterfile::kMasterFileName);
    // The engine's preview is a window of its own and would keep the program
    // running; closing it also ends the preview's wait, so the program ends.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible() && !w->parentWidget()) w->close();
    }
}

// ---------------------------------------------------------------- unsaved work

QList<masterfile::TForm2*> TForm3::gridEditors() const {
    QList<masterfile::TForm2*> open;
    for (masterfile::TForm2* e : findChildren<masterfile::TForm2*>(Qt::FindDirectChildrenOnly)) {
        if (e->isVisible()) open << e;
    }
    return open;
}

QStringList TForm3::unsavedWork() {
    QStringList unsaved;
    for (masterfile::TForm2* e : gridEditors()) {
        if (e->hasUnsavedEdits()) unsaved << messages::kUnsavedGrid;
    }
    if (drugEdit_.hasUnsavedEdits()) unsaved << messages::kUnsavedDrugEdit;
    return unsaved;
}

bool TForm3::mayDropUnsaved() {
    const QStringList unsaved = unsavedWork();
    if (unsaved.isEmpty()) return true;
    if (platform::confirm(messages::kDropUnsaved.arg(unsaved.join(QLatin1Char('\n'))),
                          windowTitle()))
        return true;
    for (masterfile::TForm2* e : gridEditors()) {
        if (e->hasUnsavedEdits()) {
            e->raise();
            e->activateWindow();
            break;
        }
    }
    return false;
}

void TForm3::approveClose() {
    closeApproved_ = true;
    for (masterfile::TForm2* e : gridEditors()) e->discardAndClose();
}

bool TForm3::keepUnsavedGrids() {
    const QString master = programFolder_ + masterfile::kMasterFileName;
    std::vector<masterfile::UnsavedGrid> grids;
    for (masterfile::TForm2* e : gridEditors()) {
        if (e->hasUnsavedEdits()) grids.push_back(e->unsavedGrid());
    }
    // Edits kept by an earlier run and not taken back yet stay with them.
    if (!keptUnsaved_) {
        if (auto earlier = masterfile::GridRecovery::read(master); earlier && !earlier->empty())
            grids.insert(grids.begin(), earlier->begin(), earlier->end());
    }
    // What this run kept stands for what is unsaved now: saved since, it goes.
    if (grids.empty()) return !keptUnsaved_ || masterfile::GridRecovery::discard(master);
    if (!masterfile::GridRecovery::write(master, grids)) return false;
    keptUnsaved_ = true;
    return true;
}

void TForm3::endUnasked() {
    endingUnasked_ = true;
    keepUnsavedGrids();
    closeApproved_ = true;
    approveClose();
    close();
    QCoreApplication::quit();
}

bool TForm3::answerSessionEnd(bool mayAsk) {
    if (closeApproved_ || terminationRequested_) return true;
    if (!mayAsk) {
        // The windows stay as they are: the session may still be cancelled
        // by another program, and then the user carries on here.
        keepUnsavedGrids();
        return true;
    }
    if (!mayDropUnsaved()) return false;
    approveClose();
    return true;
}

void TForm3::commitSessionData(QSessionManager& manager) {
    if (unsavedWork().isEmpty()) return;
    const bool mayAsk = manager.allowsInteraction();
    const bool mayEnd = answerSessionEnd(mayAsk);
    if (mayAsk) manager.release();
    if (!mayEnd) manager.cancel();
}

void TForm3::offerUnsavedGrids() {
    if (unsavedOffered_ || !masterFileLoaded_) return;
    unsavedOffered_ = true;
    const QString master = programFolder_ + masterfile::kMasterFileName;
    const auto kept = masterfile::GridRecovery::read(master);
    if (!kept) {
        platform::showMessage(messages::kUnsavedBroken.arg(
            masterfile::GridRecovery::pathFor(masterfile::kMasterFileName)));
        masterfile::GridRecovery::discard(master);
        return;
    }
    if (kept->empty()) return;
    const int choice =
        platform::choose(messages::kUnsavedKept.arg(kept->size()),
                         {messages::kRestoreUnsaved, messages::kDiscardUnsaved}, windowTitle());
    if (choice < 0) return;  // asked again at the next start
    if (choice == 1) {
        masterfile::GridRecovery::discard(master);
        return;
    }
    for (const masterfile::UnsavedGrid& grid : *kept) openGridEditor()->restoreUnsaved(grid);
    // Back in an editor they are unsaved edits like any other. The file
    // stays until the user has answered for them, so that a run killed
    // outright before then still finds them next time.
    keptUnsaved_ = true;
}

}  // namespace dorimek::mainwin
