#include "window/qt/form1.h"

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
#include <algorithm>
#include <stdexcept>
#include <vector>

#include "common/failure.h"
#include "form/folder_browser.h"
#include "form/list_editing.h"
#include "form/message_boxes.h"
#include "form/save_file_dialog.h"
#include "window/qt/owned_by_window.h"
#include "window/qt/qt_services.h"
#include "window/qt/result_cell_delegate.h"

namespace plovane {

namespace {

using form1_layout::ControlPlacement;
using form1_layout::pixels;

// The progress line changes at most five times a second.
constexpr int kProgressIntervalMilliseconds = 200;

QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont fontOf(const form1_layout::FontDesign& design) {
  QFont font(qs(design.family));
  font.setPointSizeF(design.points);
  font.setBold(design.bold);
  return font;
}

QRect geometryOf(const ControlPlacement& placement) {
  return QRect(pixels(placement.left), pixels(placement.top), pixels(placement.width),
               pixels(placement.height));
}

// The buttons of the layout by name: the member that holds each and its handler.
struct ButtonWiring {
  std::string_view name;
  QPushButton* Form1::*button;
  void (Form1::*click)();
};

const ButtonWiring kButtonWiring[] = {
    {"PushButton1", &Form1::PushButton1, &Form1::PushButton1_Click},
    {"PushButton2", &Form1::PushButton2, &Form1::PushButton2_Click},
    {"PushButton3", &Form1::PushButton3, &Form1::PushButton3_Click},
    {"PushButton4", &Form1::PushButton4, &Form1::PushButton4_Click},
    {"PushButton5", &Form1::PushButton5, &Form1::PushButton5_Click},
    {"PushButton6", &Form1::PushButton6, &Form1::PushButton6_Click},
    {"PushButton7", &Form1::PushButton7, &Form1::PushButton7_Click},
    {"PushButton8", &Form1::PushButton8, &Form1::PushButton8_Click},
    {"PushButton9", &Form1::PushButton9, &Form1::PushButton9_Click},
    {"PushButton10", &Form1::PushButton10, &Form1::PushButton10_Click},
    {"PushButton13", &Form1::PushButton13, &Form1::PushButton13_Click},
};

const ButtonWiring& wiringOf(std::string_view name) {
  for (const ButtonWiring& wiring : kButtonWiring) {
    if (wiring.name == name) return wiring;
  }
  throw std::logic_error("The layout names a button that Form1 does not have");
}

// ListView1 is list 0, and so on.
std::size_t listIndexOf(std::string_view name) {
  constexpr std::string_view kLists[] = {"ListView1", "ListView2", "ListView3"};
  for (std::size_t index = 0; index < std::size(kLists); ++index) {
    if (kLists[index] == name) return index;
  }
  throw std::logic_error("The layout names a list that Form1 does not have");
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
      Form1Procedures(std::move(services)),
      host_(*this, services_.messageBoxes, services_.settings) {
  setObjectName(QStringLiteral("Form1"));
  setFixedSize(pixels(form1_layout::kClientWidth), pixels(form1_layout::kClientHeight));
  QPalette design = palette();
  design.setColor(QPalette::Window, Qt::white);
  design.setColor(QPalette::Button, Qt::white);
  design.setColor(QPalette::Base, Qt::white);
  setPalette(design);
  setAutoFillBackground(true);
  setMouseTracking(true);
  installEventFilter(this);
  ownDialogsOf(services_.messageBoxes, this);
  ownDialogsOf(services_.folderBrowser, this);
  ownDialogsOf(services_.saveFileDialog, this);
  createControls();
  createProgressLine();
  setFocusOrder();
}

Form1::~Form1() = default;

void Form1::createControls() {
  for (const ControlPlacement& placement : form1_layout::kControls) {
    if (placement.kind == form1_layout::kList) {
      createList(placement);
      continue;
    }
    const ButtonWiring& wiring = wiringOf(placement.name);
    QPushButton* button = createButton(placement);
    this->*wiring.button = button;
    connect(button, &QPushButton::clicked, this, wiring.click);
  }
}

QPushButton* Form1::createButton(const ControlPlacement& placement) {
  auto* button = new QPushButton(qs(placement.caption), this);
  button->setObjectName(qs(placement.name));
  button->setGeometry(geometryOf(placement));
  button->setFont(fontOf(form1_layout::kButtonFont));
  button->setMouseTracking(true);
  button->installEventFilter(this);
  return button;
}

QTreeView* Form1::createList(const ControlPlacement& placement) {
  const std::size_t slot = listIndexOf(placement.name);
  models_[slot] = std::make_unique<ResultListModel>(lists_[slot], /*checkable=*/slot == 2, this);
  auto* view = new QTreeView(this);
  view->setObjectName(qs(placement.name));
  view->setGeometry(geometryOf(placement));
  view->setFont(fontOf(form1_layout::kListFont));
  view->setModel(models_[slot].get());
  view->setRootIsDecorated(false);
  view->setItemsExpandable(false);
  view->setUniformRowHeights(true);
  view->setAllColumnsShowFocus(true);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setExpandsOnDoubleClick(false);
  view->setToolTip(qs(form1_layout::kListToolTip));
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
          [this, slot] { applyColumnWidths(static_cast<int>(slot)); });
  views_[slot] = view;
  return view;
}

// The tab order of the layout, and the focus on its first control.
void Form1::setFocusOrder() {
  std::vector<const ControlPlacement*> order;
  for (const ControlPlacement& placement : form1_layout::kControls) order.push_back(&placement);
  std::sort(order.begin(), order.end(),
            [](const auto* a, const auto* b) { return a->tabIndex < b->tabIndex; });
  std::vector<QWidget*> widgets;
  for (const ControlPlacement* placement : order) {
    widgets.push_back(findChild<QWidget*>(qs(placement->name), Qt::FindDirectChildrenOnly));
  }
  for (std::size_t i = 0; i + 1 < widgets.size(); ++i) setTabOrder(widgets[i], widgets[i + 1]);
  widgets.front()->setFocus();
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

// --- The set-up's calls on the window ---------------------------------------------------

void Form1::applyAppearance() {
  const QString skinFile = qtPath(services_.programFolder) + QStringLiteral("/x/o.cjs");
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
  const QString file = qtPath(path);
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
  host_.setApplicationTitle(title);
}

// --- The run's start and end ----------------------------------------------------------

void Form1::comparisonStarting() {
  progressTimer_->start();
}

void Form1::comparisonEnded() {
  progressTimer_->stop();
  updateProgressLine();
  flushPendingRows();
  emit comparisonFinished();
}

void Form1::startComparingSoon() {
  QTimer::singleShot(0, this, [this] { PushButton5_Click(); });
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

void Form1::updateProgressLine() {
  const std::string text = progressText();
  if (text.empty()) {
    progressLine_->hide();
    return;
  }
  progressLine_->setText(qs(text));
  progressLine_->setGeometry(ListView3()->viewport()->rect());
  progressLine_->show();
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
      removeSelectedRowOfList(list, std::nullopt);
      return true;
    }
    if (type == QEvent::KeyPress && watched == view) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Delete) {
        removeSelectedRowOfList(list, kDeleteKeyCode);
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
