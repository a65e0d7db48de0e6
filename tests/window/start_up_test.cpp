// What the set-up does before the window shows: the skin, the pointer file and its hover
// rules, error reports, and the folders restored from the settings of an earlier run.

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QtEndian>

#include "common/maker.h"
#include "form_rig.h"
#include "list_texts.h"
#include "window_input.h"
#include "window_test_groups.h"

namespace plovane::test {
namespace {

QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), text.size());
}

bool writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A cursor file of our own: an icon image with the type set to cursor and a hot spot.
QByteArray cursorFile(QPoint hotSpot) {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.fillRect(QRect(4, 2, 10, 24), QColor(200, 40, 40));
  painter.end();
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "ICO")) return {};
  QByteArray bytes = buffer.data();
  auto* raw = reinterpret_cast<uchar*>(bytes.data());
  qToLittleEndian<quint16>(2, raw + 2);  // 1 is an icon, 2 a cursor
  qToLittleEndian<quint16>(static_cast<quint16>(hotSpot.x()), raw + 10);
  qToLittleEndian<quint16>(static_cast<quint16>(hotSpot.y()), raw + 12);
  return bytes;
}

const QString kSkin =
    QStringLiteral("QPushButton { color: #203040; }\nQTreeView { color: #102030; }\n");

class StartUpTest : public QObject {
  Q_OBJECT

 private slots:
  void foldersComeBackAfterARestart() {
    Sandbox sandbox;
    {
      FormRig first(sandbox.iniFile(), sandbox.program());
      first->Form_Load();
      QVERIFY(showAndWait(*first));
      first.browser.answers = {"/first/one", "/first/two"};
      click(first->PushButton3);
      click(first->PushButton1);
      // A removed row comes back: removal does not touch the settings.
      clickRow(first->ListView1(), 0);
      doubleClickRow(first->ListView1(), 0);
      QCOMPARE(first->listView1().rowCount(), std::size_t{0});
    }
    {
      FormRig second(sandbox.iniFile(), sandbox.program());
      second->Form_Load();
      QCOMPARE(firstCells(second->listView1()), QStringList{QStringLiteral("/first/one/")});
      QCOMPARE(firstCells(second->listView2()), QStringList{QStringLiteral("/first/two/")});
      QCOMPARE(second->listView3().rowCount(), std::size_t{0});
      QVERIFY(showAndWait(*second));
      QTRY_COMPARE(second->model(0).rowCount(), 1);
      QCOMPARE(second->model(1).data(second->model(1).index(0, 0)).toString(),
               QStringLiteral("/first/two/"));
      click(second->PushButton2);
    }
    {
      // Folder 1 forgotten, folder 2 still restored.
      FormRig third(sandbox.iniFile(), sandbox.program());
      third->Form_Load();
      QCOMPARE(third->listView1().rowCount(), std::size_t{0});
      QCOMPARE(firstCells(third->listView2()), QStringList{QStringLiteral("/first/two/")});
      QVERIFY(showAndWait(*third));
      click(third->PushButton4);
    }
    FormRig fourth(sandbox.iniFile(), sandbox.program());
    fourth->Form_Load();
    QCOMPARE(fourth->listView1().rowCount(), std::size_t{0});
    QCOMPARE(fourth->listView2().rowCount(), std::size_t{0});
    QVERIFY(fourth.boxes.plains.empty());
    QVERIFY(fourth.boxes.exclamations.empty());
  }

  void withoutSkinTheDesignLookStays() {
    Sandbox sandbox;
    FormRig rig(sandbox.iniFile(), sandbox.program());
    rig->Form_Load();
    QCOMPARE(rig->palette().color(QPalette::Window), QColor(Qt::white));
    QVERIFY(rig->styleSheet().isEmpty());
    QVERIFY(!rig->skinEngine().isLoaded());
    QVERIFY(!rig->customPointer().has_value());
    QVERIFY(rig.boxes.exclamations.empty());
    QVERIFY(rig.boxes.plains.empty());
    QVERIFY(rig.launcher.opened.empty());
  }

  void skinFileStylesTheWindow() {
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    QVERIFY2(buttonFace != QColor(Qt::white), "the button face must differ from the design white");
    Sandbox sandbox;
    QVERIFY(writeFile(sandbox.programFolder.filePath(QStringLiteral("x/o.cjs")), kSkin.toUtf8()));
    FormRig rig(sandbox.iniFile(), sandbox.program());
    rig->Form_Load();
    QVERIFY(rig.boxes.exclamations.empty());
    QCOMPARE(rig->palette().color(QPalette::Window), buttonFace);
    QVERIFY(rig->skinEngine().isLoaded());
    QCOMPARE(rig->styleSheet(), kSkin);
    QVERIFY(rig->skinEngine().optionWord() & 1);
    QVERIFY(rig->skinEngine().switchIsOn(5));
    QVERIFY(rig->skinEngine().switchIsOn(10));
    QVERIFY(showAndWait(*rig));
    // The style sheet reaches the controls.
    QCOMPARE(rig->PushButton5->palette().color(QPalette::ButtonText), QColor(0x20, 0x30, 0x40));
  }

  void skinPathThatIsAFolderIsNoSkin() {
    Sandbox sandbox;
    QVERIFY(QDir().mkpath(sandbox.programFolder.filePath(QStringLiteral("x/o.cjs"))));
    FormRig rig(sandbox.iniFile(), sandbox.program());
    rig->Form_Load();
    QCOMPARE(rig->palette().color(QPalette::Window), QColor(Qt::white));
    QVERIFY(!rig->skinEngine().isLoaded());
    QVERIFY(rig.boxes.exclamations.empty());
  }

  void pointerFileShowsOverButtonsOnly() {
    Sandbox sandbox;
    const QByteArray cursor = cursorFile(QPoint(5, 3));
    QVERIFY(!cursor.isEmpty());
    QVERIFY(writeFile(sandbox.programFolder.filePath(QStringLiteral("HAND-M.CUR")), cursor));
    FormRig rig(sandbox.iniFile(), sandbox.program());
    Form1& form = *rig;
    form.Form_Load();
    QVERIFY(rig.boxes.exclamations.empty());
    QVERIFY(form.customPointer().has_value());
    QCOMPARE(form.customPointer()->hotSpot(), QPoint(5, 3));
    QCOMPARE(form.customPointer()->pixmap().size(), QSize(32, 32));
    QVERIFY(showAndWait(form));
    const QImage hand = form.customPointer()->pixmap().toImage();

    hover(form.PushButton5);
    QCOMPARE(form.cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(form.cursor().pixmap().toImage(), hand);
    hover(form.ListView1()->viewport());
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    hover(form.PushButton13);
    QCOMPARE(form.cursor().shape(), Qt::BitmapCursor);
    hover(form.ListView3()->header()->viewport());  // a list's header is part of the list
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    hover(form.PushButton13);
    hover(&form, QPoint(3, 3));  // the background, left of every control
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);

    form.host().setBusy(true);
    for (QWidget* over : {static_cast<QWidget*>(form.PushButton9), form.ListView3()->viewport(),
                          form.ListView2()->viewport(), static_cast<QWidget*>(&form)}) {
      hover(over, over == &form ? QPoint(3, 120) : QPoint(-1, -1));
      QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
    }
    form.host().setBusy(false);
    hover(form.PushButton8);
    QCOMPARE(form.cursor().shape(), Qt::BitmapCursor);
  }

  void withoutPointerFileButtonsShowTheArrow() {
    Sandbox sandbox;
    FormRig rig(sandbox.iniFile(), sandbox.program());
    Form1& form = *rig;
    form.Form_Load();
    QVERIFY(showAndWait(form));
    form.setCursor(Qt::CrossCursor);
    hover(form.PushButton6);
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    form.setCursor(Qt::CrossCursor);
    hover(form.ListView3()->viewport());
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    form.setCursor(Qt::CrossCursor);
    hover(&form, QPoint(530, 200));  // the background, right of the lists
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    QVERIFY(rig.boxes.exclamations.empty());
  }

  void unreadablePointerFileGivesOneReportAndSetUpGoesOn() {
    Sandbox sandbox;
    QVERIFY(writeFile(sandbox.programFolder.filePath(QStringLiteral("HAND-M.CUR")),
                      QByteArrayLiteral("this is no cursor")));
    {
      QtSettingsStore stored(sandbox.iniFile());
      stored.write("ListView1", "/kept/one/");
    }
    FormRig rig(sandbox.iniFile(), sandbox.program());
    Form1& form = *rig;
    form.Form_Load();

    QCOMPARE(rig.boxes.exclamations.size(), std::size_t{1});
    const RecordingMessageBoxes::Box& report = rig.boxes.exclamations[0];
    QCOMPARE(report.title, std::string("Application Error"));
    QCOMPARE(rig.boxes.exclamationOwners[0].window, static_cast<QWidget*>(&form));
    QVERIFY2(!rig.boxes.exclamationOwners[0].visible, "reported before the window shows");
    QVERIFY(
        qs(report.text)
            .contains(QStringLiteral("\r\nin Plovane2021/08/31.Form1.Form_Load at line 104\r\r")));
    QVERIFY(qs(report.text)
                .endsWith(QStringLiteral("Please email screenshot of this message to ") +
                          qs(maker::kSupportEmail)));
    QVERIFY(rig.boxes.plains.empty());

    // The later steps ran all the same.
    QVERIFY(!form.customPointer().has_value());
    QCOMPARE(form.windowTitle(), QStringLiteral("Plovane"));
    QCOMPARE(form.host().applicationTitle(), std::string("Plovane"));
    QCOMPARE(form.listView3().columnCount(), std::size_t{3});
    QCOMPARE(form.model(2).columnCount(), 3);
    QCOMPARE(form.model(0).columnCount(), 1);
    QCOMPARE(firstCells(form.listView1()), QStringList{QStringLiteral("/kept/one/")});

    QVERIFY(showAndWait(form));
    form.setCursor(Qt::CrossCursor);
    hover(form.PushButton1);
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(rig.boxes.exclamations.size(), std::size_t{1});
  }
};

}  // namespace

int runStartUpTests(int argc, char** argv) {
  StartUpTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace plovane::test

#include "start_up_test.moc"
