#include "Form1.h"

#include "files/FileExists.h"
#include "commands/ListCommands.h"
#include "ui/FileDrop.h"
#include "ui/ItemListModel.h"
#include "ui/ListFrame.h"
#include "ui/ListView.h"
#include "commands/OperationCommands.h"
#include "ui/PointerFeedback.h"

#include <QCloseEvent>
#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <utility>
#include <vector>

namespace Quorvane {

namespace {

constexpr int kClientWidth = 13800;
constexpr int kClientHeight = 7875;
constexpr int kColumnWidth = 6000;
constexpr int kListFontPixels = 12;   // 9 pt at 96 dots per inch
constexpr int kButtonFontPixels = 15; // 11.25 pt at 96 dots per inch

constexpr Place kFrame1 = {120, 120, 6720, 7125};
constexpr Place kFrame2 = {6960, 120, 6720, 7125};
constexpr Place kListView = {180, 300, 6360, 2055};
constexpr Place kProgressBar = {120, 7350, 13545, 405};
constexpr int kListView1TabIndex = 2;
constexpr int kListView2TabIndex = 3;

void place(QWidget &widget, const Place &where)
{
    widget.setGeometry(twips(where.left), twips(where.top), twips(where.width), twips(where.height));
}

QFont arialBold(int pixels)
{
    QFont font;
    font.setFamilies(formFontFamilies());
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
}

void setWhiteBackground(QWidget &widget)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, Qt::white);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

ListView *createListView(QWidget *frame, const QString &name)
{
    auto *view = new ListView(frame);
    view->setObjectName(name);
    place(*view, kListView);
    view->setFont(arialBold(kListFontPixels));
    view->setRowHeight(view->fontMetrics().height() + 4);
    view->setToolTip(kListViewToolTip);
    return view;
}

// A button's step is named by its caption, and by its list where the caption does not say it
// ("Clear List (List 2)").
CommandLabel labelOf(const ButtonDesign &design)
{
    const std::string caption = design.caption;
    if (caption.find("List 1") != std::string::npos || caption.find("List 2") != std::string::npos)
        return {caption, design.command, design.ownList};
    return CommandLabel::onList(caption, design.command, design.ownList);
}

} // namespace

QStringList formFontFamilies()
{
    return {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
}

QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : {32, 48, 128, 256})
        icon.addFile(QStringLiteral(":/quorvane/icon-%1.png").arg(size), QSize(size, size));
    return icon;
}

Form1::Form1(StartUpEnvironment environment, QWidget *parent)
    : QWidget(parent)
    , m_environment(std::move(environment))
    , m_model1(std::make_unique<ItemListModel>(m_list1))
    , m_model2(std::make_unique<ItemListModel>(m_list2))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(kFixedWindowFlags);
    setFixedSize(twips(kClientWidth), twips(kClientHeight));
    setFont(arialBold(kListFontPixels));
    setWhiteBackground(*this);
    buildControls();
    setTabOrderByIndex();
    connectButtons();
    connectItemRemoval();
    setUpPointerFeedback();
    acceptFileDrops();
    for (const ListId list : kBothLists)
        connect(&model(list), &QAbstractItemModel::modelReset, this, [this, list] { showKeyColumn(list); });
}

Form1::~Form1() = default;

void Form1::buildControls()
{
    m_frame1 = new ListFrame(QStringLiteral("List 1"), this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    place(*m_frame1, kFrame1);
    m_frame2 = new ListFrame(QStringLiteral("List 2"), this);
    m_frame2->setObjectName(QStringLiteral("Frame2"));
    place(*m_frame2, kFrame2);

    m_listView1 = createListView(m_frame1, QStringLiteral("ListView1"));
    m_listView1->setModel(m_model1.get());
    m_listView2 = createListView(m_frame2, QStringLiteral("ListView2"));
    m_listView2->setModel(m_model2.get());
    // What a screen reader announces on entering the view.
    m_listView1->setAccessibleName(QStringLiteral("List 1"));
    m_listView2->setAccessibleName(QStringLiteral("List 2"));

    for (const ButtonDesign &design : buttonDesigns()) {
        QGroupBox *frame = this->frame(design.ownList);
        auto *button = new QPushButton(QString::fromLatin1(design.caption), frame);
        button->setObjectName(QString::fromStdString(objectNameOf(design.button)));
        button->setFont(arialBold(kButtonFontPixels));
        place(*button, design.place);
        m_buttons.at(static_cast<std::size_t>(numberOf(design.button) - 1)) = button;
    }
    for (QGroupBox *frame : {m_frame1, m_frame2})
        setWhiteBackground(*frame);

    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    place(*m_progressBar, kProgressBar);
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    m_progress = std::make_unique<ProgressBarSink>(*m_progressBar);
}

void Form1::setTabOrderByIndex()
{
    std::vector<std::pair<int, QWidget *>> order = {{kListView1TabIndex, m_listView1},
                                                    {kListView2TabIndex, m_listView2}};
    for (const ButtonDesign &design : buttonDesigns())
        order.emplace_back(design.tabIndex, pushButton(design.button));
    std::sort(order.begin(), order.end());
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1].second, order[i].second);
}

void Form1::connectButtons()
{
    for (const ButtonDesign &design : buttonDesigns()) {
        const Button button = design.button;
        connect(pushButton(button), &QPushButton::clicked, this, [this, button] { buttonClicked(button); });
    }
}

// Delete removes the selected items of a list view, a double-click the item clicked, unless a
// command runs.
void Form1::connectItemRemoval()
{
    for (const ListId list : kBothLists) {
        connect(listView(list), &ListView::removeSelectedRequested, this, [this, list] { removeSelectedItems(list); });
        connect(listView(list), &ListView::removeItemRequested, this, [this, list](int row) {
            runCommand(CommandLabel::onList("Remove Item", ListCommand::RemoveSelected, list),
                       [&] { removeItemAtRow(*listView(list), model(list), this->list(list), row); });
        });
    }
}

void Form1::setUpPointerFeedback()
{
    m_pointerFeedback = std::make_unique<PointerFeedback>(*this, *this);
    for (QPushButton *button : m_buttons)
        m_pointerFeedback->setRole(button, PointerFeedback::Role::ShowsCustom);
    const QWidget *const defaultPlaces[] = {this, m_frame1, m_frame2, m_listView1, m_listView2};
    for (const QWidget *place : defaultPlaces)
        m_pointerFeedback->setRole(place, PointerFeedback::Role::ShowsDefault);
    // The bar is a control of its own: moving over it changes nothing.
    m_pointerFeedback->setRole(m_progressBar, PointerFeedback::Role::LeavesAsIs);
}

// Files dropped on a list load as its "Load File To List" button would load them.
void Form1::acceptFileDrops()
{
    const std::pair<ListView *, Button> targets[] = {
        {m_listView1, Button::LoadFileToList1},
        {m_listView2, Button::LoadFileToList2},
    };
    for (const auto &target : targets) {
        const ButtonDesign &load = designOf(target.second);
        const CommandLabel label = CommandLabel::onList("Load Dropped Files", ListCommand::Load, load.ownList);
        new FileDrop(*target.first, [this, &load, label](const std::vector<std::string> &paths) {
            runCommand(label, [&] {
                loadChosenFiles(list(load.ownList), paths, clickProcedureOf(load.button), commandHost());
            });
        });
    }
}

QPushButton *Form1::pushButton(Button button) const
{
    return m_buttons.at(static_cast<std::size_t>(numberOf(button) - 1));
}

void Form1::Form_Load()
{
    TrappedProcedure trap(m_reporter, "Form1", "Form_Load");
    trap.step(100, [&] { ApplySkin(*this, m_environment.programFolder); });
    // The window that holds the form, when it is not its own window, is what the user moves and names.
    trap.step(102, [&] { CenterForm(*window()); });
    trap.step(104, [&] {
        window()->setWindowTitle(QStringLiteral("Quorvane Software"));
        window()->setWindowIcon(applicationIcon());
    });
    const QString pointerFile = pointerFilePath(m_environment.programFolder);
    if (trap.test(106, [&] { return FileExists(QFile::encodeName(pointerFile).toStdString()); }, true))
        trap.step(108, [&] { m_customPointer = loadPointerImage(pointerFile); });
    trap.step(110, [&] { OpenHomePageByChance(m_environment); });
    trap.step(112, [&] { m_model1->addColumn(kColumnHeader); });
    trap.step(114, [&] { m_listView1->setColumnWidth(0, twips(kColumnWidth)); });
    trap.step(116, [&] { m_model2->addColumn(kColumnHeader); });
    trap.step(118, [&] { m_listView2->setColumnWidth(0, twips(kColumnWidth)); });
}

void Form1::setPointer(Pointer pointer)
{
    m_pointer = pointer;
    if (pointer == Pointer::Hourglass)
        setCursor(Qt::WaitCursor);
    else if (pointer == Pointer::Custom && m_customPointer)
        setCursor(*m_customPointer);
    else
        unsetCursor();
}

bool Form1::runCommand(const CommandLabel &label, const std::function<void()> &command)
{
    if (m_commandRunning)
        return false;
    m_commandRunning = true;
    struct Finish
    {
        bool &running;
        ~Finish() { running = false; }
    } finish{m_commandRunning};
    m_outcome = {};
    m_tables.forgetEmptied(m_list1, m_list2);
    if (m_watcher)
        m_watcher->commandStarting();
    command();
    if (m_watcher)
        m_watcher->commandFinished(label, m_outcome);
    return true;
}

void Form1::closeEvent(QCloseEvent *event)
{
    windowClosing();
    QWidget::closeEvent(event);
}

void Form1::windowClosing()
{
    if (m_commandRunning) {
        m_progress->stopHandlingEvents();
        m_reporter.silence();
    }
}

void Form1::removeSelectedItems(ListId list)
{
    runCommand(CommandLabel::onList("Remove Selected Items", ListCommand::RemoveSelected, list),
               [&] { Quorvane::removeSelectedItems(*listView(list), model(list), this->list(list)); });
}

void Form1::loadTable(ListId list)
{
    const std::string procedure = "LoadTableToList" + std::to_string(listNumber(list)) + "_Click";
    runCommand(CommandLabel::onList("Load Table", ListCommand::Load, list),
               [&] { runLoadTableCommand(this->list(list), list, m_tables, procedure, commandHost()); });
}

void Form1::showKeyColumn(ListId list)
{
    const LoadedTable *table = m_tables.active(list, this->list(list));
    (list == ListId::List1 ? *m_model1 : *m_model2).setHeader(
        table ? QStringLiteral("Rows compared on %1:").arg(QString::fromStdString(table->keyColumnName()))
              : kColumnHeader);
}

void Form1::buttonClicked(Button button)
{
    const ButtonDesign &design = designOf(button);
    runCommand(labelOf(design), [&] { runButtonCommand(design); });
}

void Form1::menuOperationChosen(const MenuOperation &operation, ListId list)
{
    runCommand(CommandLabel::onList(operation.caption, operation.operation, list), [&] {
        runOperationCommand({operation.operation, list}, m_list1, m_list2, menuProcedureOf(operation, list),
                            commandHost());
    });
}

void Form1::runButtonCommand(const ButtonDesign &button)
{
    const std::string procedure = clickProcedureOf(button.button);
    const CommandHost host = commandHost();
    if (const Operation *operation = std::get_if<Operation>(&button.command))
        return runOperationCommand({*operation, button.ownList, button.wording}, m_list1, m_list2, procedure, host);
    ItemList &own = list(button.ownList);
    switch (std::get<ListCommand>(button.command)) {
    case ListCommand::Load:
        return runLoadCommand(own, procedure, host);
    case ListCommand::Save:
        if (const LoadedTable *table = m_tables.active(button.ownList, own))
            return runSaveCommand(own, procedure, host, table->header);
        return runSaveCommand(own, procedure, host);
    case ListCommand::Clear:
        return runClearCommand(own, procedure, host);
    case ListCommand::Sample:
        return runSampleCommand(own, button.ownList, procedure, host);
    // The list views' and the Edit menu's own: no button runs them.
    case ListCommand::RemoveSelected:
    case ListCommand::Cut:
    case ListCommand::Copy:
    case ListCommand::Paste:
        break;
    }
}

} // namespace Quorvane
