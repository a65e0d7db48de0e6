#include "window/form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QtEndian>

#include "common/failure.h"
#include "form/folder_chooser.h"
#include "form/list_editing.h"
#include "form/samples_and_help.h"
#include "form/spreadsheet_export.h"
#include "form/start_arguments.h"
#include "form/text_exports.h"
#include "window/qt_services.h"
#include "window/result_cell_delegate.h"

namespace plovane {

namespace {

// The layout is designed in twips; 15 twips make one pixel at 96 dots per inch.
constexpr double kTwipsPerPixel = 15.0;
// The progress line changes at most five times a second.
constexpr int kProgressIntervalMilliseconds = 200;

int pixels(int twips) {
  return qRound(twips / kTwipsPerPixel);
}

constexpr int kClientWidth = 8040;
constexpr int kClientHeight = 6795;

const char* const kListToolTip =
    "Double-click item to remove it. Move | line to right and out of window to reveal full "
    "names.";

QFont listFont() {
  QFont font(QStringLiteral("Arial"));
  font.setPointSizeF(9);
  font.setBold(true);
  return font;
}

QFont buttonFont() {
  QFont font(QStringLiteral("Arial"));
  font.setPointSizeF(11.25);
  font.setBold(true);
  return font;
}

// The hot spot of the first image of a cursor file, which QPixmap does not keep.
QPoint cursorHotSpot(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray header = file.read(14);
  if (header.size() < 14) return {};
  const auto* bytes = reinterpret_cast<const uchar*>(header.constData());
  return {qFromLittleEndian<quint16>(bytes + 10), qFromLittleEndian<quint16>(bytes + 12)};
}

}  // namespace

Form1::Form1(Form1Services services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      services_(std::move(services)),
      host_(*this, services_.messageBoxes, services_.settings),
      comparison_(services_.fileSystem) {
  setObjectName(QStringLiteral("Form1"));
  setFixedSize(pixels(kClientWidth), pixels(kClientHeight));
  QPalette design = palette();
  design.setColor(QPalette::Window, Qt::white);
  design.setColor(QPalette::Button, Qt::white);
  design.setColor(QPalette::Base, Qt::white);
  setPalette(design);
  setAutoFillBackground(true);
  setMouseTracking(true);
  installEventFilter(this);
  createControls();
  createProgressLine();
  setFocusOrder();
}

Form1::~Form1() = default;

void Form1::createControls() {
  PushButton13 =
      createButton(QStringLiteral("PushButton13"), QStringLiteral("Help"), 120, 120, 3840, 405);
  PushButton9 = createButton(QStringLiteral("PushButton9"),
                             QStringLiteral("Load Sample/Example Folders"), 4080, 120, 3840, 405);
  createList(0, 120, 620, 7800, 615);
  PushButton3 = createButton(QStringLiteral("PushButton3"), QStringLiteral("1. Choose Folder 1"),
                             120, 1320, 3840, 405);
  PushButton2 = createButton(QStringLiteral("PushButton2"), QStringLiteral("Clear Folder"), 4080,
                             1320, 3840, 405);
  createList(1, 120, 1820, 7800, 615);
  PushButton1 = createButton(QStringLiteral("PushButton1"), QStringLiteral("2. Choose Folder 2"),
                             120, 2520, 3840, 405);
  PushButton4 = createButton(QStringLiteral("PushButton4"), QStringLiteral("Clear Folder"), 4080,
                             2520, 3840, 405);
  createList(2, 120, 3030, 7800, 2145);
  PushButton5 = createButton(QStringLiteral("PushButton5"), QStringLiteral("3. Start Comparing"),
                             120, 5260, 7800, 405);
  PushButton6 = createButton(QStringLiteral("PushButton6"),
                             QStringLiteral("Save Results As Text File"), 120, 5770, 3840, 405);
  PushButton7 = createButton(QStringLiteral("PushButton7"),
                             QStringLiteral("Save Results As Excel File"), 4080, 5770, 3840, 405);
  PushButton10 = createButton(QStringLiteral("PushButton10"),
                              QStringLiteral("Copy Results To Clipboard"), 120, 6280, 3840, 405);
  PushButton8 = createButton(QStringLiteral("PushButton8"), QStringLiteral("Clear List"), 4080,
                             6280, 3840, 405);

  connect(PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
  connect(PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
  connect(PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
  connect(PushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
  connect(PushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
  connect(PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
  connect(PushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
  connect(PushButton8, &QPushButton::clicked, this, &Form1::PushButton8_Click);
  connect(PushButton9, &QPushButton::clicked, this, &Form1::PushButton9_Click);
  connect(PushButton10, &QPushButton::clicked, this, &Form1::PushButton10_Click);
  connect(PushButton13, &QPushButton::clicked, this, &Form1::PushButton13_Click);
}

QPushButton* Form1::createButton(const QString& name, const QString& caption, int left, int top,
                                 int width, int height) {
  auto* button = new QPushButton(caption, this);
  button->setObjectName(name);
  button->setGeometry(pixels(left), pixels(top), pixels(width), pixels(height));
  button->setFont(buttonFont());
  button->setMouseTracking(true);
  button->installEventFilter(this);
  return button;
}

QTreeView* Form1::createList(int index, int left, int top, int width, int height) {
  const auto slot = static_cast<std::size_t>(index);
  models_[slot] = std::make_unique<ResultListModel>(lists_[slot], /*checkable=*/index == 2, this);
  auto* view = new QTreeView(this);
  view->setObjectName(QStringLiteral("ListView%1").arg(index + 1));
  view->setGeometry(pixels(left), pixels(top), pixels(width), pixels(height));
  view->setFont(listFont());
  view->setModel(models_[slot].get());
  view->setRootIsDecorated(false);
  view->setItemsExpandable(false);
  view->setUniformRowHeights(true);
  view->setAllColumnsShowFocus(true);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setExpandsOnDoubleClick(false);
  view->setToolTip(QString::fromLatin1(kListToolTip));
  // Long paths keep their start and their file name; the middle goes.
  view->setItemDelegate(new ResultCellDelegate(view));
  view->setTextElideMode(Qt::ElideMiddle);
  view->header()->setStretchLastSection(false);
  view->header()->setSectionsMovable(false);
  view->header()->setSectionResizeMode(QHeaderView::Interactive);
  view->setMouseTracking(true);
  view->viewport()->setMouseTracking(true);
  view->installEventFilter(this);
  view->viewport()->installEventFilter(this);
  view->header()->viewport()->installEventFilter(this);  // the header is part of the list
  connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this, slot](const QModelIndex& current) {
            lists_[slot].setSelectedRow(
                current.isValid() ? std::optional<std::size_t>(current.row()) : std::nullopt);
          });
  connect(models_[slot].get(), &ResultListModel::columnsReshaped, this,
          [this, index] { applyColumnWidths(index); });
  views_[slot] = view;
  return view;
}

void Form1::setFocusOrder() {
  const QWidget* const order[] = {ListView3(), ListView1(), ListView2(), PushButton3,  PushButton1,
                                  PushButton2, PushButton4, PushButton5, PushButton13, PushButton9,
                                  PushButton6, PushButton7, PushButton8, PushButton10};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
    setTabOrder(const_cast<QWidget*>(order[i]), const_cast<QWidget*>(order[i + 1]));
  }
  ListView3()->setFocus();
}

void Form1::applyColumnWidths(int list) {
  const ResultList& resultList = lists_[static_cast<std::size_t>(list)];
  QHeaderView* header = views_[static_cast<std::size_t>(list)]->header();
  for (std::size_t column = 0; column < resultList.columnCount(); ++column) {
    header->resizeSection(static_cast<int>(column), pixels(resultList.column(column).widthTwips));
  }
}

void Form1::flushPendingRows() {
  for (auto& model : models_) model->flushPendingRows();
}

void Form1::Form_Load() {
  plovane::Form_Load(*this, listView1(), listView2(), listView3(), host_, services_.fileSystem,
                     corePath(services_.programFolder), services_.random,
                     services_.urlLauncher);
}

// --- The set-up's calls on the window ---------------------------------------------------

void Form1::applyAppearance() {
  const QString skinFile = services_.programFolder + QStringLiteral("/x/o.cjs");
  const QFileInfo skin(skinFile);
  if (!skin.isFile() || skin.isHidden()) return;  // the design look stays
  QPalette skinned = palette();
  skinned.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
  setPalette(skinned);
  skin_.loadSkin(skinFile, QString());
  skin_.setOptionWord(skin_.optionWord() | 1);
  skin_.setSwitch(5, true);
  skin_.setSwitch(10, true);
  skin_.applyTo(*this);
}

void Form1::loadCustomPointer(const std::string& path) {
  const QString file = QFile::decodeName(QByteArray::fromStdString(path));
  QPixmap image;
  if (!image.load(file)) throw Failure("The pointer file could not be loaded");
  const QPoint hotSpot = cursorHotSpot(file);
  customPointer_ = QCursor(image, hotSpot.x(), hotSpot.y());
}

void Form1::setCaption(const std::string& caption) {
  setWindowTitle(QString::fromStdString(caption));
}

void Form1::setProgramIcon() {
  setWindowIcon(QIcon(QStringLiteral(":/plovane/plovane.png")));
}

void Form1::setApplicationTitle(const std::string& title) {
  host_.setApplicationTitle(QString::fromStdString(title));
}

// --- Handlers ----------------------------------------------------------------------------

void Form1::PushButton1_Click() {
  ChooseFolder2(listView2(), host_, services_.folderBrowser);
}

void Form1::PushButton2_Click() {
  ClearFolder1(listView1(), host_);
}

void Form1::PushButton3_Click() {
  ChooseFolder1(listView1(), host_, services_.folderBrowser);
}

void Form1::PushButton4_Click() {
  ClearFolder2(listView2(), host_);
}

void Form1::PushButton5_Click() {
  if (comparison_.isComparing()) return;  // the run ignores it too; no second signal
  progressTimer_->start();
  comparison_.start(listView1(), listView2(), listView3(), host_);
  progressTimer_->stop();
  updateProgressLine();
  flushPendingRows();
  emit comparisonFinished();
}

void Form1::openWithFolders(const std::string& folder1, const std::string& folder2) {
  if (ChooseFoldersFromArguments(folder1, folder2, listView1(), listView2(), host_,
                                 services_.fileSystem)) {
    QTimer::singleShot(0, this, &Form1::PushButton5_Click);
  }
}

// The progress line lies over the result list's empty area and is read from the run's own
// counters by a timer, which fires during the run's yields: no yield of its own.
void Form1::createProgressLine() {
  progressLine_ = new QLabel(ListView3()->viewport());
  progressLine_->setObjectName(QStringLiteral("ProgressLine"));
  progressLine_->setAlignment(Qt::AlignCenter);
  progressLine_->setAttribute(Qt::WA_TransparentForMouseEvents);
  progressLine_->hide();
  progressTimer_ = new QTimer(this);
  progressTimer_->setInterval(kProgressIntervalMilliseconds);
  connect(progressTimer_, &QTimer::timeout, this, &Form1::updateProgressLine);
}

QString Form1::progressText() const {
  if (!comparison_.isComparing() || lists_[2].rowCount() > 0) return {};
  return QString::fromStdString(describeProgress(comparison_));
}

void Form1::updateProgressLine() {
  const QString text = progressText();
  if (text.isEmpty()) {
    progressLine_->hide();
    return;
  }
  progressLine_->setText(text);
  progressLine_->setGeometry(ListView3()->viewport()->rect());
  progressLine_->show();
}

void Form1::PushButton6_Click() {
  SaveResultsAsTextFile(listView3(), host_, services_.saveFileDialog);
}

void Form1::PushButton7_Click() {
  SaveResultsAsExcelFile(listView3(), host_, services_.spreadsheets);
}

bool Form1::SaveResultsAsExcelFileIsExcelInstalled() {
  return plovane::SaveResultsAsExcelFileIsExcelInstalled(host_, services_.spreadsheets);
}

void Form1::PushButton8_Click() {
  ClearList(listView3(), host_);
}

void Form1::PushButton9_Click() {
  LoadSampleFolders(listView1(), listView2(), host_, corePath(services_.programFolder));
}

void Form1::PushButton10_Click() {
  CopyResultsToClipboard(listView3(), host_, services_.clipboard);
}

void Form1::PushButton13_Click() {
  ShowHelp(host_);
}

// --- Pointer, double-click, Delete key and close -------------------------------------------

void Form1::showHandPointer() {
  if (host_.isBusy()) return;
  setCursor(customPointer_ ? *customPointer_ : QCursor(Qt::ArrowCursor));
}

void Form1::showDefaultPointer() {
  if (host_.isBusy()) return;
  setCursor(Qt::ArrowCursor);
}

void Form1::removeSelectedRow(int list, std::optional<int> keyCode) {
  ResultList& resultList = lists_[static_cast<std::size_t>(list)];
  if (keyCode) {
    RemoveSelectedRowOnKey(*keyCode, resultList, host_);
  } else {
    RemoveSelectedRow(resultList, host_);
  }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::MouseMove) {
    if (qobject_cast<QPushButton*>(watched)) {
      showHandPointer();
    } else if (watched != this ||
               !childAt(static_cast<QMouseEvent*>(event)->position().toPoint())) {
      // A move that a button ignored reaches the window too; only the bare background counts.
      showDefaultPointer();
    }
    return false;
  }
  for (int list = 0; list < 2; ++list) {
    QTreeView* view = views_[static_cast<std::size_t>(list)];
    if (type == QEvent::MouseButtonDblClick && watched == view->viewport()) {
      removeSelectedRow(list, std::nullopt);
      return true;
    }
    if (type == QEvent::KeyPress && watched == view) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Delete) {
        removeSelectedRow(list, kDeleteKeyCode);
        return true;
      }
    }
  }
  return false;
}

void Form1::closeEvent(QCloseEvent* event) {
  // Every setting was written when it changed; nothing is left to save.
  if (services_.endProcess) services_.endProcess();
  event->accept();
}

}  // namespace plovane
