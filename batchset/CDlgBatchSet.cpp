#include "batchset/CDlgBatchSet.h"

#include "autoset/CIPAddressCtrl.h"
#include "batchset/BatchDevices.h"
#include "devicelist/CsvWriter.h"
#include "engine/DeviceEngine.h"
#include "res/ControlNames.h"
#include "res/MessageBoxes.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <memory>
#include <utility>

namespace Netrove {

namespace {

QString Quad(const Ipv4Octets& octets)
{
    return QString::fromStdString(FormatDottedQuad(octets));
}

QTableWidgetItem* Cell(const QString& text, bool editable = false)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(editable ? item->flags() | Qt::ItemIsEditable : item->flags() & ~Qt::ItemIsEditable);
    return item;
}

} // namespace

CDlgBatchSet::CDlgBatchSet(DeviceEngine& engine, std::vector<BatchDevice> devices, BatchNetwork network,
                           AddressProber& prober, QWidget* parent)
    : QDialog(parent)
    , m_engine(engine)
    , m_devices(std::move(devices))
    , m_network(std::move(network))
    , m_prober(prober)
{
    for (const BatchDevice& device : m_devices)
        m_planned.push_back(device.newIp.has_value());
    SetUpTemplateWindow(this, "CDlgBatchSet", QStringLiteral("Batch Setting"), 9);
    CreateControls();

    const SearchNetwork& where = m_network.network;
    Ipv4Octets first = where.localAddress;
    first[3] = 100;
    m_ipFirst->SetAddress(first);
    m_ipSubnetMask->SetAddress(NetworkMask(where));
    m_ipGateway->SetAddress(NetworkGateway(where));
    m_radioStatic->setChecked(true);
    ShowNewAddresses();

    connect(&m_engine, &DeviceEngine::batchChanged, this, &CDlgBatchSet::OnBatchChanged);
    connect(&m_engine, &DeviceEngine::batchFinished, this, &CDlgBatchSet::OnBatchFinished);
}

CDlgBatchSet::~CDlgBatchSet()
{
    // The pings use the prober, which the dialog's opener owns.
    m_probe.waitForFinished();
}

void CDlgBatchSet::RunProbe(std::function<void()> probe, std::function<void()> done)
{
    m_bProbing = true;
    setCursor(Qt::BusyCursor);
    auto* watcher = new QFutureWatcher<void>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, done = std::move(done)] {
        watcher->deleteLater();
        m_bProbing = false;
        unsetCursor();
        done();
        // OK pressed meanwhile counts once the addresses are all known.
        if (!m_bProbing && std::exchange(m_bOkWanted, false))
            OnOK();
    });
    m_probe = QtConcurrent::run(std::move(probe));
    watcher->setFuture(m_probe);
}

void CDlgBatchSet::CreateControls()
{
    m_ipFirst = Named(new CIPAddressCtrl(QStringLiteral("First IP Address"), this), "ipFirst");
    m_ipSubnetMask = Named(new CIPAddressCtrl(QStringLiteral("Subnet Mask"), this), "ipSubnetMask");
    m_ipGateway = Named(new CIPAddressCtrl(QStringLiteral("Gateway"), this), "ipGateway");
    m_radioStatic = Named(new QRadioButton(QStringLiteral("STATIC"), this), "radioStatic");
    m_radioDhcp = Named(new QRadioButton(QStringLiteral("DHCP"), this), "radioDhcp");
    m_editPassword = Named(new QLineEdit(this), "editPassword");
    m_editPassword->setEchoMode(QLineEdit::Password);
    m_table =
        Named(new QTableWidget(int(m_devices.size()), 5, this), "tableDevices", QStringLiteral("Devices"));
    m_btnOK = Named(new QPushButton(QStringLiteral("OK"), this), "buttonOK");
    m_btnCancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "buttonCancel");
    m_btnSaveResults = Named(new QPushButton(QStringLiteral("Save Results..."), this), "buttonSaveResults");
    auto* group = new QButtonGroup(this);
    group->addButton(m_radioStatic);
    group->addButton(m_radioDhcp);

    auto* fields = new QGridLayout;
    const auto row = [&](int at, const QString& text, const char* name, QWidget* control) {
        fields->addWidget(NamedLabel(this, text, name, control), at, 0);
        fields->addWidget(control, at, 1);
    };
    row(0, QStringLiteral("First IP Address"), "labelFirst", m_ipFirst);
    row(1, QStringLiteral("Subnet Mask"), "labelSubnetMask", m_ipSubnetMask);
    row(2, QStringLiteral("Gateway"), "labelGateway", m_ipGateway);
    auto* modes = new QHBoxLayout;
    modes->addWidget(m_radioStatic);
    modes->addWidget(m_radioDhcp);
    modes->addStretch();
    fields->addLayout(modes, 3, 1);
    row(4, QStringLiteral("Password"), "labelPassword", m_editPassword);
    // An address is as wide as the address controls of the other setting dialogs, not the window.
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_ipFirst, m_ipSubnetMask, m_ipGateway, m_editPassword})
        control->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("000.000.000.000")) + 40);
    fields->setColumnStretch(2, 1);

    m_table->setHorizontalHeaderLabels(BatchTableTitles());
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    for (int i = 0; i < int(m_devices.size()); ++i) {
        const BatchDevice& device = m_devices[std::size_t(i)];
        m_table->setItem(i, ColumnMac, Cell(device.mac));
        m_table->setItem(i, ColumnModel, Cell(device.model));
        m_table->setItem(i, ColumnIp, Cell(device.ip));
        m_table->setItem(i, ColumnNewIp, Cell(QString(), true));
        m_table->setItem(i, ColumnResult, Cell(QString()));
    }
    m_table->resizeColumnsToContents();
    m_table->setColumnWidth(ColumnNewIp,
                            std::max(m_table->columnWidth(ColumnIp), m_table->columnWidth(ColumnNewIp)));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_btnSaveResults);
    buttons->addStretch();
    buttons->addWidget(m_btnOK);
    buttons->addWidget(m_btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    resize(620, 480);
    m_btnOK->setDefault(true);

    connect(m_btnOK, &QPushButton::clicked, this, &CDlgBatchSet::OnOK);
    connect(m_btnCancel, &QPushButton::clicked, this, &CDlgBatchSet::reject);
    connect(m_btnSaveResults, &QPushButton::clicked, this, &CDlgBatchSet::OnSaveResults);
    // Another first address fills the rows anew; a plan's own addresses stay.
    for (QLineEdit* field :
         {m_ipFirst->Field(0), m_ipFirst->Field(1), m_ipFirst->Field(2), m_ipFirst->Field(3)})
        connect(field, &QLineEdit::editingFinished, this, [this] {
            if (!m_bApplying && m_ipFirst->GetAddress() != m_filledFrom)
                FillAddresses();
        });
    connect(m_radioDhcp, &QRadioButton::toggled, this, &CDlgBatchSet::ShowNewAddresses);
}

void CDlgBatchSet::FillAddresses()
{
    if (m_bProbing) {
        m_bRefill = true;
        return;
    }
    // The devices a plan gave an address, or DHCP, keep it; every other one gets one from here.
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        if (!m_planned[i] && !m_devices[i].planDhcp.value_or(false))
            open.push_back(i);
    }
    m_filledFrom = m_ipFirst->GetAddress();
    if (open.empty())
        return;
    // The pings work on copies: the dialog may close before they end.
    auto chosen = std::make_shared<BatchAddresses>();
    auto inUse = std::make_shared<std::set<Ipv4Octets>>(m_inUse);
    RunProbe([chosen, inUse, first = m_ipFirst->GetAddress(), count = open.size(), network = m_network,
              &prober = m_prober] { *chosen = ChooseBatchAddresses(first, count, network, prober, *inUse); },
             [this, chosen, inUse, open] {
                 m_inUse.insert(inUse->begin(), inUse->end());
                 for (std::size_t k = 0; k < open.size(); ++k) {
                     std::optional<Ipv4Octets>& address = m_devices[open[k]].newIp;
                     address =
                         k < chosen->addresses.size() ? std::optional(chosen->addresses[k]) : std::nullopt;
                     if (address)
                         m_probedFree.insert(*address);
                 }
                 ShowNewAddresses();
                 if (std::exchange(m_bRefill, false))
                     FillAddresses();
                 else if (!chosen->refusal.isEmpty()) {
                     // Not enough addresses: the user decides anew before anything is sent.
                     m_bOkWanted = false;
                     ShowApplicationMessage(this, chosen->refusal);
                 }
             });
}

void CDlgBatchSet::ShowNewAddresses()
{
    for (int i = 0; i < int(m_devices.size()); ++i) {
        const BatchDevice& device = m_devices[std::size_t(i)];
        const bool dhcp = device.planDhcp.value_or(m_radioDhcp->isChecked());
        m_table->item(i, ColumnNewIp)
            ->setText(dhcp           ? QStringLiteral("DHCP")
                      : device.newIp ? Quad(*device.newIp)
                                     : QString());
    }
}

BatchSettings CDlgBatchSet::Settings() const
{
    BatchSettings settings;
    settings.first = m_ipFirst->GetAddress();
    settings.mask = m_ipSubnetMask->GetAddress();
    settings.gateway = m_ipGateway->GetAddress();
    settings.dhcp = m_radioDhcp->isChecked();
    settings.password = m_editPassword->text();
    return settings;
}

QString CDlgBatchSet::ReadCells(std::vector<BatchDevice>& devices) const
{
    devices = m_devices;
    for (int i = 0; i < int(devices.size()); ++i) {
        BatchDevice& device = devices[std::size_t(i)];
        if (device.planDhcp.value_or(m_radioDhcp->isChecked()))
            continue;
        const QString text = m_table->item(i, ColumnNewIp)->text().trimmed();
        const std::optional<Ipv4Octets> address = ParseTypedAddress(text.toStdString());
        if (!address)
            return QStringLiteral("%1: \"%2\" is no IP address").arg(device.mac, text);
        device.newIp = *address;
    }
    return {};
}

void CDlgBatchSet::Refuse(const QString& why)
{
    ShowApplicationMessage(this, why);
}

void CDlgBatchSet::OnOK()
{
    if (m_bApplying)
        return;
    if (m_bProbing) {
        m_bOkWanted = true;
        return;
    }
    std::vector<BatchDevice> devices;
    if (const QString why = ReadCells(devices); !why.isEmpty())
        return Refuse(why);
    // Addresses a plan gave or a cell was edited to are pinged too before anything is sent.
    auto given = std::make_shared<std::vector<BatchDevice>>();
    for (const BatchDevice& device : devices) {
        if (device.newIp && m_probedFree.count(*device.newIp) == 0)
            given->push_back(device);
    }
    if (given->empty())
        return Apply(std::move(devices));
    auto noProbe = std::make_shared<QString>();
    auto inUse = std::make_shared<std::set<Ipv4Octets>>(m_inUse);
    RunProbe([given, noProbe, inUse, network = m_network,
              &prober = m_prober] { *noProbe = ProbeGivenAddresses(*given, network, prober, *inUse); },
             [this, noProbe, inUse, devices = std::move(devices)]() mutable {
                 m_inUse.insert(inUse->begin(), inUse->end());
                 if (!noProbe->isEmpty())
                     return Refuse(*noProbe);
                 Apply(std::move(devices));
             });
}

void CDlgBatchSet::Apply(std::vector<BatchDevice> devices)
{
    const BatchSettings settings = Settings();
    if (const QString why = CheckBatch(devices, settings, m_network, m_inUse); !why.isEmpty())
        return Refuse(why);

    std::vector<BatchItem> items;
    for (const BatchDevice& device : devices)
        items.push_back(MakeBatchItem(device, settings));
    m_devices = std::move(devices);
    m_bApplying = true;
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_ipFirst, m_ipSubnetMask, m_ipGateway, m_radioStatic, m_radioDhcp, m_editPassword, m_btnOK})
        control->setEnabled(false);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_engine.StartBatch(std::move(items));
}

void CDlgBatchSet::OnBatchChanged(int index)
{
    if (!m_bApplying || index < 0 || index >= m_table->rowCount() || !m_engine.Batch())
        return;
    m_table->item(index, ColumnResult)->setText(m_engine.Batch()->Text(index));
}

void CDlgBatchSet::OnBatchFinished()
{
    if (m_bApplying)
        m_bFinished = true;
}

void CDlgBatchSet::reject()
{
    // While applying, Cancel sends nothing more; once the batch is done, it closes.
    if (m_bApplying && !m_bFinished) {
        m_engine.CancelBatch();
        return;
    }
    QDialog::reject();
}

void CDlgBatchSet::OnSaveResults()
{
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save Results"), QDir::home().filePath(QStringLiteral("batch-results.csv")),
        QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    QStringList titles;
    for (int column = 0; column < m_table->columnCount(); ++column)
        titles << m_table->horizontalHeaderItem(column)->text();
    QByteArray csv = CsvLine(titles);
    for (int row = 0; row < m_table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < m_table->columnCount(); ++column)
            cells << m_table->item(row, column)->text();
        csv += CsvLine(cells);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size() || !file.commit())
        ShowApplicationMessage(
            this, QStringLiteral("The results could not be saved to %1:\n%2").arg(path, file.errorString()),
            QMessageBox::Warning);
}

} // namespace Netrove
