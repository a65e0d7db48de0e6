// "Save Results As Text File" and "Copy Results To Clipboard" through the real buttons, and
// the window system's save dialog and clipboard behind them.

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "form_rig.h"
#include "window/qt/qt_export_services.h"
#include "window_input.h"
#include "window_test_groups.h"

namespace plovane::test {
namespace {

QByteArray fileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs check on the modal dialog as soon as it is open, while exec() waits, and again at
// each tick until that dialog has closed: a dialog may not take its answer at the first try
// (the file dialog reads its folder in the background). After thirty seconds the dialog is
// closed, so that a test fails rather than hangs.
void whenModalOpens(const std::function<void(QWidget*)>& check) {
  struct Watch {
    QPointer<QWidget> target;
    bool found = false;
    int ticks = 0;
  };
  auto* poll = new QTimer(qApp);
  poll->setInterval(10);
  auto watch = std::make_shared<Watch>();
  QObject::connect(poll, &QTimer::timeout, [poll, check, watch] {
    if (!watch->found) {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || !modal->isVisible()) return;
      watch->found = true;
      watch->target = modal;
    } else if (!watch->target || !watch->target->isVisible()) {
      poll->stop();
      poll->deleteLater();
      return;
    }
    if (++watch->ticks > 3'000) {
      watch->target->close();
      return;
    }
    check(watch->target);
  });
  poll->start();
}

class TextExportTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(openShownForm(sandbox_, rig_)); }
  void cleanup() {
    rig_.reset();
    sandbox_.reset();
  }

  // "Clear List" pressed while the report is being written: the hourglass shows, the
  // vanished rows are reported, and the lines written before are kept in order.
  void clearListDuringTheSaveKeepsTheLinesWritten() {
    Form1& form = **rig_;
    ResultList& results = form.listView3();
    constexpr int kRows = 200'000;
    for (int row = 0; row < kRows; ++row) {
      results.appendRow(QStringLiteral("/home/user/left/folder%1/file%2.txt")
                            .arg(row / 100, 4, 10, QLatin1Char('0'))
                            .arg(row, 6, 10, QLatin1Char('0'))
                            .toStdString(),
                        " is newer than", "/home/user/right/");
    }
    results.setCheckedRange(0, kRows - 1, true);
    const QString file = sandbox_->programFolder.filePath(QStringLiteral("big.txt"));
    rig_->saveDialog.answers.push_back(QFile::encodeName(file).toStdString());

    // Fires only inside the writer's yields; clears once part of the report is on disk, in
    // the temporary file that takes the report's place when complete.
    const auto partWritten = [&] {
      const QFileInfoList beside = QDir(sandbox_->programFolder.path())
                                       .entryInfoList({QStringLiteral("~big.txt.*")}, QDir::Files);
      return !beside.isEmpty() && beside.front().size() > 0;
    };
    std::optional<Qt::CursorShape> shapeDuringSave;
    bool cleared = false;
    QTimer during;
    during.setInterval(0);
    connect(&during, &QTimer::timeout, [&] {
      if (!shapeDuringSave) shapeDuringSave = form.cursor().shape();
      if (!cleared && partWritten()) {
        click(form.PushButton8);
        cleared = true;
      }
    });
    during.start();
    click(form.PushButton6);
    during.stop();

    QVERIFY(cleared);
    QCOMPARE(shapeDuringSave, std::optional<Qt::CursorShape>(Qt::WaitCursor));
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(results.rowCount(), std::size_t{0});
    QVERIFY(!rig_->boxes.exclamations.empty());
    QVERIFY(QString::fromStdString(rig_->boxes.exclamations.front().text)
                .contains(QStringLiteral("SaveListviewProperlySpacedWithoutProgressBar at line ")));

    // The header, then the rows in order up to where the list was emptied.
    const QList<QByteArray> lines = fileBytes(file).split('\n');
    QVERIFY(lines.size() > 2);
    QVERIFY(lines[0].startsWith("Newer "));
    int written = 0;
    while (written + 1 < lines.size() && lines[written + 1].startsWith("/home/")) {
      const QByteArray expected = QStringLiteral("/home/user/left/folder%1/file%2.txt")
                                      .arg(written / 100, 4, 10, QLatin1Char('0'))
                                      .arg(written, 6, 10, QLatin1Char('0'))
                                      .toUtf8();
      QVERIFY2(lines[written + 1].startsWith(expected + '\t'), lines[written + 1].constData());
      QVERIFY(lines[written + 1].endsWith("\t\r"));
      ++written;
    }
    QVERIFY2(written > 1000, QByteArray::number(written).constData());
    QVERIFY(written < kRows);
  }

  void copyButtonPutsTheTextOnTheClipboardWithoutHourglass() {
    Form1& form = **rig_;
    form.listView3().appendRow("/a/b.txt", " is newer than", "/b/");
    form.listView3().appendRow("/a/long-name.txt", " will overwrite an older", "/b/c.txt");
    form.listView3().setCheckedRange(0, 1, true);

    click(form.PushButton10);
    QCOMPARE(rig_->clipboard.text, std::optional<std::string>(
                                       "/a/b.txt        \t is newer than          \t/b/\r\n"
                                       "/a/long-name.txt\t will overwrite an older\t/b/c.txt\r\n"));
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    QVERIFY(rig_->boxes.exclamations.empty());
  }

  // The UTF-8 bytes as they came, under both plain-text types (the X11 clipboard offers
  // "text/plain" as UTF8_STRING, STRING and TEXT too), and read back as text. A text that is
  // not placed stays with the caller, for another attempt.
  void qtClipboardPlacesAndClearsTheClipboardText() {
    QtClipboard clipboard;
    QClipboard* system = QGuiApplication::clipboard();
    const std::string text = "/a/caf\xc3\xa9.txt\t is newer than\t/b/\r\n";
    QVERIFY(clipboard.setText(std::string(text), kDefaultTextFormat));
    const QMimeData* placed = system->mimeData(QClipboard::Clipboard);
    QVERIFY(placed);
    for (const QString& type :
         {QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("text/plain")}) {
      QVERIFY2(placed->formats().contains(type), qPrintable(type));
      QCOMPARE(placed->data(type), QByteArray::fromStdString(text));
    }
    QCOMPARE(system->text(QClipboard::Clipboard), QString::fromUtf8(text));

    std::string other = "other";
    QVERIFY(!clipboard.setText(std::move(other), 13));  // no numbered formats here
    QCOMPARE(other, std::string("other"));
    QCOMPARE(system->text(QClipboard::Clipboard), QString::fromUtf8(text));

    // A file name that is not UTF-8 reaches other programs with a replacement character.
    QVERIFY(clipboard.setText("/a/\xff.txt", kDefaultTextFormat));
    QCOMPARE(system->mimeData(QClipboard::Clipboard)->data(QStringLiteral("text/plain")),
             QByteArray("/a/\xef\xbf\xbd.txt"));

    QVERIFY(clipboard.clear());
    QCOMPARE(system->text(QClipboard::Clipboard), QString());
  }

  void qtSaveDialogAsksNothingAddsNothingAndOffersTheLastName() {
    QCOMPARE(QtSaveFileDialog::nameFilters("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"),
             QStringList({QStringLiteral("Text Files (*.txt)"), QStringLiteral("All Files (*)")}));

    QtSaveFileDialog dialog(&**rig_);
    const auto setUp = [&dialog] {
      dialog.setFlags(0x280201);
      dialog.setTitle("Save");
      dialog.setFilter("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
    };
    // An existing file without an extension: no question, no ".txt" added.
    const QString existing = sandbox_->programFolder.filePath(QStringLiteral("report"));
    QFile(existing).open(QIODevice::WriteOnly);
    QString title;
    bool asksBeforeOverwrite = true;
    QString suffix = QStringLiteral("unset");
    whenModalOpens([&](QWidget* modal) {
      auto* fileDialog = qobject_cast<QFileDialog*>(modal);
      if (!fileDialog) {
        modal->close();
        return;
      }
      title = fileDialog->windowTitle();
      asksBeforeOverwrite = !fileDialog->testOption(QFileDialog::DontConfirmOverwrite);
      suffix = fileDialog->defaultSuffix();
      fileDialog->selectFile(existing);
      static_cast<QDialog*>(fileDialog)->accept();  // as the Save button does
    });
    setUp();
    dialog.showSave();
    QCOMPARE(title, QStringLiteral("Save"));
    QVERIFY(!asksBeforeOverwrite);
    QCOMPARE(suffix, QString());
    QCOMPARE(QString::fromStdString(dialog.fileName()), existing);

    // The next showing starts from that name; a cancel reads as the empty name.
    QStringList offered;
    whenModalOpens([&](QWidget* modal) {
      if (auto* fileDialog = qobject_cast<QFileDialog*>(modal)) {
        offered = fileDialog->selectedFiles();
      }
      modal->close();
    });
    setUp();
    dialog.showSave();
    QCOMPARE(offered, QStringList{existing});
    QCOMPARE(dialog.fileName(), std::string());
  }

 private:
  std::unique_ptr<Sandbox> sandbox_;
  std::unique_ptr<FormRig> rig_;
};

}  // namespace

int runTextExportTests(int argc, char** argv) {
  TextExportTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace plovane::test

#include "text_exports_window_test.moc"
