#include "Form1.h"

#include "files/FileExists.h"
#include "files/ListCommands.h"
#include "ui/Dialogs.h"
#include "ui/FileDrop.h"
#include "ui/ItemListModel.h"
#include "ui/ListView.h"
#include "ui/OperationCommands.h"
#include "ui/PointerFeedback.h"

#include <QCloseEvent>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

namespace Quorvane {

namespace {

constexpr int kClientWidth = 13800;
constexpr int kClientHeight = 7875;
constexpr int kColumnWidth = 6000;
constexpr int kListFontPixels = 12;   // 9 pt at 96 dots per inch
constexpr int kButtonFontPixels = 15; // 11.25 pt at 96 dots per inch

struct Place
{
    int left;
    int top;
    int width;
    int height;
};

constexpr Place kFrame1 = {120, 120, 6720, 7125};
constexpr Place kFrame2 = {6960, 120, 6720, 7125};
constexpr Place kListView = {180, 300, 6360, 2055};
constexpr Place kProgressBar = {120, 7350, 13545, 405};
constexpr int kListView1TabIndex = 2;
constexpr int kListView2TabIndex = 3;

struct ButtonDesign
{
    int number;
    int frame; // 1 or 2
    const char *caption;
    Place place;
    int tabIndex;
};

constexpr int kLeft = 180;
constexpr int kRight = 3420;
constexpr int kHalf = 3100;
constexpr int kWhole = 6360;
constexpr int kButtonHeight = 405;

constexpr ButtonDesign kButtons[] = {
    {3, 1, "Load File To List", {kLeft, 2440, kHalf, kButtonHeight}, 4},
    {20, 1, "Save List To File", {kRight, 2440, kHalf, kButtonHeight}, 5},
    {1, 1, "Clear List", {kLeft, 2950, kHalf, kButtonHeight}, 6},
    {22, 1, "Load Sample/Example List", {kRight, 2950, kHalf, kButtonHeight}, 26},
    {17, 1, "Remove List 1 Items With...", {kLeft, 3460, kWhole, kButtonHeight}, 7},
    {16, 1, "Remove List 1 Items Without...", {kLeft, 3970, kWhole, kButtonHeight}, 8},
    {18, 1, "Remove Blanks From List 1", {kLeft, 4480, kWhole, kButtonHeight}, 9},
    {19, 1, "Remove Matches (List 2 From List 1)", {kLeft, 4990, kWhole, kButtonHeight}, 10},
    {15, 1, "Keep Only Matches in List 2", {kLeft, 5500, kWhole, kButtonHeight}, 11},
    {4, 1, "Remove List 1 Dupes Except First", {kLeft, 6010, kWhole, kButtonHeight}, 12},
    {7, 1, "Remove All List 1 Dupes", {kLeft, 6520, kWhole, kButtonHeight}, 13},
    {14, 2, "Load File To List", {kLeft, 2440, kHalf, kButtonHeight}, 14},
    {13, 2, "Save List To File", {kRight, 2440, kHalf, kButtonHeight}, 15},
    {2, 2, "Clear List", {kLeft, 2950, kHalf, kButtonHeight}, 16},
    {21, 2, "Load Sample/Example List", {kRight, 2950, kHalf, kButtonHeight}, 25},
    {10, 2, "Remove List 2 Items With...", {kLeft, 3460, kWhole, kButtonHeight}, 17},
    {9, 2, "Remove List 2 Items Without...", {kLeft, 3970, kWhole, kButtonHeight}, 18},
    {11, 2, "Remove Blanks From List 2", {kLeft, 4480, kWhole, kButtonHeight}, 19},
    {12, 2, "Remove Matches (List 1 From List 2)", {kLeft, 4990, kWhole, kButtonHeight}, 20},
    {8, 2, "Keep Only Matches in List 1", {kLeft, 5500, kWhole, kButtonHeight}, 21},
    {5, 2, "Remove List 2 Dupes Except First", {kLeft, 6010, kWhole, kButtonHeight}, 22},
    {6, 2, "Remove All List 2 Dupes", {kLeft, 6520, kWhole, kButtonHeight}, 23},
};

void place(QWidget &widget, const Place &where)
{
    widget.setGeometry(twips(where.left), twips(where.top), twips(where.width), twips(where.height));
}

QFont arialBold(int pixels)
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
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
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->setToolTip(kListViewToolTip);
    return view;
}

QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : {32, 48, 128, 256})
        icon.addFile(QStringLiteral(":/quorvane/icon-%1.png").arg(size), QSize(size, size));
    return icon;
}

std::string toLocalPath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace

void MessageBoxReporter::report(const ErrorReport &report)
{
    if (m_silenced)
        return;
    Dialogs::messageBox(m_parent, QString::fromStdString(formatErrorReport(report)), BoxStyle::Warning,
                        kErrorReportTitle);
}

std::vector<std::string> WindowDialogs::askOpenFiles(const FileDialogRequest &request)
{
    std::vector<std::string> paths;
    const QStringList chosen = Dialogs::openFileNames(m_parent, QString::fromStdString(request.title),
                                                      QString::fromStdString(request.filter));
    for (const QString &path : chosen)
        paths.push_back(toLocalPath(path));
    return paths;
}

std::string WindowDialogs::askSaveFile(const FileDialogRequest &request)
{
    return toLocalPath(Dialogs::saveFileName(m_parent, QString::fromStdString(request.title),
                                             QString::fromStdString(request.filter)));
}

void WindowDialogs::inform(const std::string &text)
{
    Dialogs::messageBox(m_parent, QFile::decodeName(QByteArray::fromStdString(text)), BoxStyle::Ok);
}

bool WindowDialogs::confirm(const std::string &text)
{
    return Dialogs::messageBox(m_parent, QFile::decodeName(QByteArray::fromStdString(text)), BoxStyle::YesNo)
        == QMessageBox::Yes;
}

Form1::Form1(StartUpEnvironment environment, QWidget *parent)
    : QWidget(parent)
    , m_environment(std::move(environment))
    , m_model1(std::make_unique<ItemListModel>(m_list1))
    , m_model2(std::make_unique<ItemListModel>(m_list2))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(twips(kClientWidth), twips(kClientHeight));
    setFont(arialBold(kListFontPixels));
    setWhiteBackground(*this);
    buildControls();
    setTabOrderByIndex();
    connectListCommands();
    connectOperationCommands();
    connectItemRemoval();
    setUpPointerFeedback();
    acceptFileDrops();
}

Form1::~Form1() = default;

void Form1::buildControls()
{
    m_frame1 = new QGroupBox(QStringLiteral("List 1"), this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    place(*m_frame1, kFrame1);
    m_frame2 = new QGroupBox(QStringLiteral("List 2"), this);
    m_frame2->setObjectName(QStringLiteral("Frame2"));
    place(*m_frame2, kFrame2);

    m_listView1 = createListView(m_frame1, QStringLiteral("ListView1"));
    m_listView1->setModel(m_model1.get());
    m_listView2 = createListView(m_frame2, QStringLiteral("ListView2"));
    m_listView2->setModel(m_model2.get());

    for (const ButtonDesign &design : kButtons) {
        auto *button = new QPushButton(QString::fromLatin1(design.caption), design.frame == 1 ? m_frame1 : m_frame2);
        button->setObjectName(QStringLiteral("PushButton%1").arg(design.number));
        button->setFont(arialBold(kButtonFontPixels));
        place(*button, design.place);
        m_buttons[design.number - 1] = button;
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
    for (const ButtonDesign &design : kButtons)
        order.emplace_back(design.tabIndex, pushButton(design.number));
    std::sort(order.begin(), order.end());
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1].second, order[i].second);
}

void Form1::connectListCommands()
{
    const std::pair<int, void (Form1::*)()> handlers[] = {
        {3, &Form1::PushButton3_Click},   {14, &Form1::PushButton14_Click}, {20, &Form1::PushButton20_Click},
        {13, &Form1::PushButton13_Click}, {1, &Form1::PushButton1_Click},   {2, &Form1::PushButton2_Click},
        {22, &Form1::PushButton22_Click}, {21, &Form1::PushButton21_Click},
    };
    for (const auto &[number, handler] : handlers)
        connect(pushButton(number), &QPushButton::clicked, this, handler);
}

void Form1::connectOperationCommands()
{
    for (const int number : operationButtons())
        connect(pushButton(number), &QPushButton::clicked, this, [this, number] { operationButton_Click(number); });
}

void Form1::connectItemRemoval()
{
    connect(m_listView1, &ListView::removeSelectedRequested, this,
            [this] { removeSelectedItem(*m_listView1, m_list1); });
    connect(m_listView2, &ListView::removeSelectedRequested, this,
            [this] { removeSelectedItem(*m_listView2, m_list2); });
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
    const std::tuple<ListView *, ItemList *, const char *> targets[] = {
        {m_listView1, &m_list1, "PushButton3_Click"},
        {m_listView2, &m_list2, "PushButton14_Click"},
    };
    for (const auto &[view, list, procedure] : targets) {
        new FileDrop(*view, [this, list, procedure](const std::vector<std::string> &paths) {
            runCommand([&] { loadFilesToList(*list, paths, procedure, commandHost()); });
        });
    }
}

QPushButton *Form1::pushButton(int number) const
{
    return m_buttons.at(static_cast<std::size_t>(number - 1));
}

void Form1::Form_Load()
{
    TrappedProcedure trap(m_reporter, "Form1", "Form_Load");
    trap.step(100, [&] { ApplySkin(*this, m_environment.programFolder); });
    trap.step(102, [&] { CenterForm(*this); });
    trap.step(104, [&] {
        setWindowTitle(QStringLiteral("Quorvane Software"));
        setWindowIcon(applicationIcon());
    });
    const QString pointerFile = pointerFilePath(m_environment.programFolder);
    if (trap.test(106, [&] { return FileExists(toLocalPath(pointerFile)); }, true))
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

bool Form1::runCommand(const std::function<void()> &command)
{
    if (m_commandRunning)
        return false;
    m_commandRunning = true;
    struct Finish
    {
        bool &running;
        ~Finish() { running = false; }
    } finish{m_commandRunning};
    command();
    return true;
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Closing ends the program; work still running finishes without handling further events,
    // and the event loop then quits.
    if (m_commandRunning) {
        m_progress->stopHandlingEvents();
        m_reporter.silence();
    }
    QWidget::closeEvent(event);
}

void Form1::removeSelectedItem(ListView &view, ItemList &list)
{
    runCommand([&] {
        const std::optional<std::size_t> row = view.selectedRow();
        if (!row || *row >= list.count())
            return;
        try {
            list.removeAt(*row);
        } catch (...) {
            // Removing a single item reports nothing, whatever goes wrong.
            return;
        }
        // The item that moved up takes the selection, so Delete can be pressed again.
        if (!list.isEmpty())
            view.selectRow(static_cast<int>(std::min(*row, list.count() - 1)));
    });
}

void Form1::operationButton_Click(int number)
{
    runCommand([this, number] {
        runOperationCommand(number, m_list1, m_list2, {this, *this, m_reporter, *m_progress});
    });
}

void Form1::PushButton3_Click()
{
    runCommand([this] { runLoadCommand(m_list1, "PushButton3_Click", commandHost()); });
}

void Form1::PushButton14_Click()
{
    runCommand([this] { runLoadCommand(m_list2, "PushButton14_Click", commandHost()); });
}

void Form1::PushButton20_Click()
{
    runCommand([this] { runSaveCommand(m_list1, "PushButton20_Click", commandHost()); });
}

void Form1::PushButton13_Click()
{
    runCommand([this] { runSaveCommand(m_list2, "PushButton13_Click", commandHost()); });
}

void Form1::PushButton1_Click()
{
    runCommand([this] { runClearCommand(m_list1, "PushButton1_Click", m_reporter); });
}

void Form1::PushButton2_Click()
{
    runCommand([this] { runClearCommand(m_list2, "PushButton2_Click", m_reporter); });
}

void Form1::PushButton22_Click()
{
    runCommand([this] { runSampleCommand(m_list1, SampleList::First, "PushButton22_Click", m_reporter); });
}

void Form1::PushButton21_Click()
{
    runCommand([this] { runSampleCommand(m_list2, SampleList::Second, "PushButton21_Click", m_reporter); });
}

} // namespace Quorvane
