#include "correspondent_register/sce.h"

#include <QShowEvent>

#include "correspondent_register/core/drive_map.h"
#include "correspondent_register/core/hooks.h"
#include "correspondent_register/core/startup.h"
#include "correspondent_register/core/texts.h"
#include "correspondent_register/core/win_files.h"
#include "forms/text.h"
#include "ui_sce.h"

namespace zorvel {

namespace {
constexpr int kPathRole = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;
}  // namespace

TSce::TSce(RegisterState& session, QWidget* parent)
    : Form(parent), session_(session), ui_(std::make_unique<Ui::TSce>()) {
  ui_->setupUi(this);
  setObjectName("TSce");
  setWindowTitle(forms::ToQ(ChooserCaption()));
  setGeometry(29, 34, 515, 255);
  for (char letter : session_.Core.Drives.Letters()) {
    ui_->drw->addItem(QString(QChar(letter)).toLower() + ":", QChar(letter));
  }
  connect(ui_->drw, &QComboBox::currentIndexChanged, this, [this] { drwChange(); });
  connect(ui_->kart, &QTreeWidget::itemExpanded, this,
          [this](QTreeWidgetItem* item) { FillChildren(item); });
  connect(ui_->kart, &QTreeWidget::itemClicked, this, [this] { kartClick(); });
  connect(ui_->kart, &QTreeWidget::currentItemChanged, this, [this] { kartChange(); });
  connect(ui_->OK, &QPushButton::clicked, this, [this] { OKClick(); });
  WireControls();
  SetDefaultButton(ui_->OK);
  // The program's current drive first.
  const int c = ui_->drw->findData(QChar('C'));
  if (c >= 0) ui_->drw->setCurrentIndex(c);
  drwChange();
}

TSce::~TSce() = default;

void TSce::showEvent(QShowEvent* event) {
  Form::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TSce::FormShow() {
  resize(width(), 255);
  if (!session_.Paths.ConfiguredRoot.empty())
    ui_->sc->setText(forms::ToQ(session_.Paths.ConfiguredRoot));
}

void TSce::ShowDrive(char letter) {
  ui_->kart->clear();
  const std::string root = std::string(1, letter) + ":\\";
  auto* item = new QTreeWidgetItem(ui_->kart, {forms::ToQ(root)});
  item->setData(0, kPathRole, forms::ToQ(root));
  FillChildren(item);
  item->setExpanded(true);
  ui_->kart->setCurrentItem(item);
}

void TSce::FillChildren(QTreeWidgetItem* item) {
  if (item->data(0, kFilledRole).toBool()) return;
  item->setData(0, kFilledRole, true);
  const std::string folder = forms::FromQ(item->data(0, kPathRole).toString());
  for (const std::string& name : Subfolders(session_.Core.Drives, folder)) {
    const std::string path = folder.back() == '\\' ? folder + name : folder + "\\" + name;
    auto* child = new QTreeWidgetItem(item, {forms::ToQ(name)});
    child->setData(0, kPathRole, forms::ToQ(path));
    // The arrow until the folder is opened and its sub-folders read.
    child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  }
  if (item->childCount() == 0) item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
}

std::string TSce::CurrentFolder() const {
  const QTreeWidgetItem* item = ui_->kart->currentItem();
  return item ? forms::FromQ(item->data(0, kPathRole).toString()) : std::string();
}

void TSce::kartClick() { ui_->sc->setText(forms::ToQ(CurrentFolder())); }

void TSce::kartChange() { ui_->sc->setText(forms::ToQ(CurrentFolder())); }

void TSce::drwChange() {
  const QVariant letter = ui_->drw->currentData();
  if (letter.isValid()) ShowDrive(static_cast<char>(letter.toChar().toLatin1()));
}

void TSce::OKClick() {
  const std::string chosen = forms::FromQ(ui_->sc->text());
  const ChosenRootCheck check = CheckChosenRoot(session_.Core.Drives, session_.Paths, chosen);
  if (!check.RegisterFound) {
    session_.Core.Hooks.ShowMessageBox(MissingRegisterText(), kMbIconError | kMbOk,
                                       check.TestedPath);
    session_.EndProgramAtOnce();
    return;
  }
  ui_->OK->hide();
  emit RootChosen();
  // The configuration file is replaced only now that the register is
  // known, and whole: a failure leaves the old one as it was.
  try {
    SaveChosenRoot(session_.Core.Drives, session_.Paths, chosen);
  } catch (const InOutError& e) {
    session_.Core.Hooks.ShowErrorBox(e.what());
  }
  emit RegisterWanted();
}

void TSce::FormClose() { RequestEnd(); }

}  // namespace zorvel
