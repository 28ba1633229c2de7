#include "ui/ConfirmPage.h"

#include "runner/UnexpectedFailure.h"
#include "settings/PageCode.h"
#include "sys/HostPath.h"
#include "ui/CopyProgressDialog.h"
#include "ui/PageLook.h"
#include "wizard/BuildHooks.h"
#include "wizard/LogFileCheck.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

namespace ornibe {

namespace {

// The log asks for room for 76 characters by 26 lines, the size the page
// opens at, but can shrink to a few lines on a small screen.
class LogView : public QPlainTextEdit {
public:
    explicit LogView(QWidget* parent) : QPlainTextEdit(parent) {}

    QSize sizeHint() const override {
        QFontMetrics metrics(font());
        return {metrics.averageCharWidth() * 76, metrics.height() * 26};
    }
    QSize minimumSizeHint() const override {
        QFontMetrics metrics(font());
        return {metrics.averageCharWidth() * 30, metrics.height() * 6};
    }
};

} // namespace

ConfirmPage::ConfirmPage(BuildSettings& settings, MessageBox& messages, QWidget* parent)
    : QDialog(parent), settings_(settings), messages_(messages), editionLabel_(new QLabel(this)),
      notesLabel_(new QLabel(this)), view_(new LogView(this)), log_(*view_) {
    setObjectName(QStringLiteral("confirmPage"));
    setWindowTitle(tr("作業内容の確認"));
    setWindowIcon(programIcon());
    setFont(pageFont());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    view_->setObjectName(QStringLiteral("logView"));
    view_->setReadOnly(true);
    // Long lines (command lines, paths) wrap at the view's edge, which
    // follows the window's width.
    view_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    view_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    view_->setUndoRedoEnabled(false);
    view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Read-only, but the text can still be selected and copied.
    view_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    backButton_ = new QPushButton(tr("< 戻る"), this);
    backButton_->setObjectName(QStringLiteral("backButton"));
    backButton_->setDefault(true);
    runButton_ = new QPushButton(tr("実行！"), this);
    runButton_->setObjectName(QStringLiteral("runButton"));
    runButton_->setAutoDefault(false);
    quitButton_ = new QPushButton(tr("終了"), this);
    quitButton_->setObjectName(QStringLiteral("quitButton"));
    quitButton_->setAutoDefault(false);
    saveButton_ = new QPushButton(tr("ログを保存…"), this);
    saveButton_->setObjectName(QStringLiteral("saveLogButton"));
    saveButton_->setAutoDefault(false);
    saveButton_->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveButton_);
    buttons->addStretch(1);
    buttons->addWidget(backButton_);
    buttons->addWidget(runButton_);
    buttons->addSpacing(12);
    buttons->addWidget(quitButton_);
    // The CD's edition, on a line of its own above the log.
    editionLabel_->setObjectName(QStringLiteral("editionLabel"));
    editionLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    editionLabel_->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(editionLabel_);
    layout->addWidget(view_, 1);
    // The notes of a build (what failed beside it without stopping it), on
    // lines of their own below the log.
    notesLabel_->setObjectName(QStringLiteral("notesLabel"));
    notesLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    notesLabel_->setWordWrap(true);
    notesLabel_->hide();
    layout->addWidget(notesLabel_);
    layout->addLayout(buttons);

    setTabOrder(backButton_, runButton_);
    setTabOrder(runButton_, quitButton_);
    setTabOrder(quitButton_, view_);

    connect(backButton_, &QPushButton::clicked, this, &ConfirmPage::back);
    connect(runButton_, &QPushButton::clicked, this, &ConfirmPage::run);
    connect(quitButton_, &QPushButton::clicked, this, &ConfirmPage::reject);
    connect(saveButton_, &QPushButton::clicked, this, &ConfirmPage::saveLog);
}

ConfirmPage::~ConfirmPage() = default;

int ConfirmPage::exec() {
    // Every opening is a fresh page: an empty log, every button enabled.
    log_.clear();
    resultsKept_ = false;
    saveButton_->hide();
    notesLabel_->clear();
    notesLabel_->hide();
    quitButton_->setText(tr("終了"));
    backButton_->setEnabled(true);
    runButton_->setEnabled(true);
    quitButton_->setEnabled(true);
    backButton_->setFocus();
    const std::string edition = hooks_.editionLine ? hooks_.editionLine() : std::string();
    editionLabel_->setText(QString::fromStdString(edition));
    editionLabel_->setVisible(!edition.empty());
    if (hooks_.writeSummary) {
        // The page opens in every case; a failure that escapes the summary
        // is shown in the log rather than lost.
        runPageHook(hooks_.writeSummary, *this);
    }
    // The log follows its end as the summary is written; the page opens at
    // the summary's first line.
    view_->moveCursor(QTextCursor::Start);
    view_->verticalScrollBar()->setValue(0);
    view_->horizontalScrollBar()->setValue(0);
    return QDialog::exec();
}

void ConfirmPage::setButtonEnabled(PageButton button, bool enabled) {
    switch (button) {
    case PageButton::Back:
        backButton_->setEnabled(enabled);
        break;
    case PageButton::Run:
        runButton_->setEnabled(enabled);
        break;
    case PageButton::Quit:
        quitButton_->setEnabled(enabled);
        break;
    }
}

void ConfirmPage::keepResults() {
    // "< 戻る" and "実行！" stay disabled: the work folder holds the finished
    // build. The log can be scrolled, selected and saved; closing the page
    // ends the program.
    resultsKept_ = true;
    saveButton_->show();
    saveButton_->setEnabled(true);
    quitButton_->setText(tr("閉じる"));
    quitButton_->setEnabled(true);
    saveButton_->setFocus();
}

void ConfirmPage::saveLog() {
    PathDialogSpec spec;
    spec.name = "saveLogDialog";
    spec.title = tr("ログを保存");
    spec.mode = PathDialogSpec::Mode::SaveFile;
    spec.suffix = QStringLiteral("log");
    spec.filters = {tr("ログ (*.log *.txt)"), tr("すべてのファイル (*)")};
    // Beside the work folder, not in it, where the next image would take
    // the log in.
    spec.folder = startFolder(QString::fromStdString(folderPart(settings_.GetWorkFolder())));
    const QString path = choosePath(this, spec, runDialog_);
    if (path.isEmpty()) {
        return;
    }
    if (Outcome saved = saveLogFile(path.toStdString(), log_.text()); !saved) {
        messages_.show(saved.failure().headline + "\n" + saved.failure().line(),
                       {MessageButtons::Ok, MessageIcon::Information, false});
    }
}

void ConfirmPage::note(std::string_view text) {
    QString line = tr("注意：") + QString::fromUtf8(text.data(), qsizetype(text.size()));
    notesLabel_->setText(notesLabel_->text().isEmpty() ? line : notesLabel_->text() + "\n" + line);
    notesLabel_->show();
}

void ConfirmPage::processEvents() {
    QApplication::processEvents(QEventLoop::AllEvents);
}

void ConfirmPage::copyProgressStarted() {
    progress_ = std::make_unique<CopyProgressDialog>(
        messages_, tr("CD の内容を作業フォルダにコピーしています。。。"), tr("キャンセル"), this);
    progress_->setObjectName(QStringLiteral("copyProgress"));
    progress_->setWindowTitle(QStringLiteral("ornibe"));
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setMinimumDuration(0);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setValue(0);
    processEvents();
}

bool ConfirmPage::copyProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal,
                               std::uint64_t filesDone, std::uint64_t filesTotal) {
    if (!progress_) {
        return true;
    }
    std::uint64_t done = bytesTotal > 0 ? bytesDone : filesDone;
    std::uint64_t total = bytesTotal > 0 ? bytesTotal : filesTotal;
    int value = total > 0 ? int(std::min<std::uint64_t>(done, total) * 1000 / total) : 0;
    progress_->setLabelText(tr("CD の内容を作業フォルダにコピーしています。。。\n%1 / %2")
                                .arg(filesDone)
                                .arg(filesTotal));
    progress_->setValue(value);
    processEvents();
    return !progress_->wasCanceled() && !stopRequested_;
}

void ConfirmPage::copyProgressFinished() {
    progress_.reset();
    processEvents();
}

void ConfirmPage::back() {
    if (!running_) {
        done(PageCode::Settings);
    }
}

void ConfirmPage::run() {
    // The build disables the button itself; this guards against a second
    // click that arrives while it is still running.
    if (running_ || !hooks_.runBuild) {
        return;
    }
    running_ = true;
    stopRequested_ = false;
    // An exception must not cross the event loop: one that escapes the
    // build ends it like a reported failure, with the reason in the log
    // and "< 戻る" enabled.
    runPageHook(hooks_.runBuild, *this);
    running_ = false;
    if (stopRequested_) {
        // The user quit during the build; it has stopped, now the page ends.
        done(PageCode::Quit);
    }
}

void ConfirmPage::reject() {
    if (resultsKept_) {
        // The build has finished; nothing runs and nothing is asked.
        done(PageCode::Quit);
        return;
    }
    MessageStyle style{MessageButtons::OkCancel, MessageIcon::Question, true};
    if (messages_.show(tr("終了します。").toStdString(), style) != MessageAnswer::Ok) {
        return;
    }
    if (running_) {
        // The window must not go while the build goes on: the build stops
        // first (its child ended, no further step), then run() ends the page.
        stopRequested_ = true;
        return;
    }
    done(PageCode::Quit);
}

void ConfirmPage::keyPressEvent(QKeyEvent* event) {
    if (!handlePageKey(*this, *event)) {
        QDialog::keyPressEvent(event);
    }
}

} // namespace ornibe
