// The controls of the serial window, laid out as the window shows them from top to bottom.
#include "frm_RS232.h"

#include "mod_RS232_COD.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

QString Q(const char* text) {
    return QString::fromUtf8(text);
}

QGroupBox* Frame(const char* name, const char* caption) {
    auto* frame = new QGroupBox(Q(caption));
    frame->setObjectName(Q(name));
    return frame;
}

QLabel* Label(const char* name, const char* caption) {
    auto* label = new QLabel(Q(caption));
    label->setObjectName(Q(name));
    return label;
}

QPushButton* Button(const char* name, const char* caption, const char* tooltip) {
    auto* button = new QPushButton(Q(caption));
    button->setObjectName(Q(name));
    if (*tooltip) {
        button->setToolTip(Q(tooltip));
    }
    return button;
}

QLineEdit* Read_Only_Field(const char* name, const char* text, const char* tooltip) {
    auto* field = new QLineEdit(Q(text));
    field->setObjectName(Q(name));
    field->setReadOnly(true);
    field->setAlignment(Qt::AlignCenter);
    field->setToolTip(Q(tooltip));
    field->setFocusPolicy(Qt::NoFocus);
    return field;
}

} // namespace

void frm_RS232::Build_Controls() {
    auto* outer = new QVBoxLayout(this);
    fra_Select_RS232 = Frame("fra_Select_RS232", "Seleziona porta seriale tra quelle disponibili:");
    outer->addWidget(fra_Select_RS232);
    auto* body = new QVBoxLayout(fra_Select_RS232);

    fra_RS232 = Frame("fra_RS232", "Porte disponibili:");
    cmb_RS232 = new QComboBox;
    cmb_RS232->setObjectName(QStringLiteral("cmb_RS232"));
    cmb_RS232->setEditable(true);
    cmb_RS232->setInsertPolicy(QComboBox::NoInsert);
    cmb_RS232->setToolTip(Q("Selezionare una porta seriale dall'elenco"));
    cmd_Scan_RS232 = Button("cmd_Scan_RS232", "Aggiorna", "Aggiorna l'elenco delle porte seriali");
    // Port numbers are not the system's device names here, so the device is shown with them.
    lbl_Port_Device = new QLabel;
    lbl_Port_Device->setObjectName(QStringLiteral("lbl_Port_Device"));
    lbl_Port_Device->setToolTip(Q("Dispositivo della porta selezionata"));
    auto* port_rows = new QGridLayout(fra_RS232);
    port_rows->addWidget(cmb_RS232, 0, 0);
    port_rows->addWidget(cmd_Scan_RS232, 0, 1);
    port_rows->addWidget(lbl_Port_Device, 1, 0, 1, 2);
    port_rows->setColumnStretch(0, 1);

    fra_Set_Port = Frame("fra_Set_Port", "Attiva porta selezionata:");
    cmd_ON = Button("cmd_ON", "ON", "Attiva porta seriale selezionata");
    cmd_OFF = Button("cmd_OFF", "OFF", "Disattiva porta seriale");
    auto* on_off = new QHBoxLayout(fra_Set_Port);
    on_off->addWidget(cmd_ON);
    on_off->addWidget(cmd_OFF);

    auto* left = new QVBoxLayout;
    left->addWidget(fra_RS232);
    left->addWidget(fra_Set_Port);

    fra_Speed = Frame("fra_Speed", "Impostazioni porta seriale:");
    txt_Baud_Rates = Read_Only_Field("txt_Baud_Rates", "115200", "Velocità trasmissione dati");
    txt_Lenght_Byte = Read_Only_Field("txt_Lenght_Byte", "8", "Lunghezza dato 8 bit");
    txt_Parity_Bit = Read_Only_Field("txt_Parity_Bit", "Nessuno", "Bit di parità");
    txt_Stop_Bit = Read_Only_Field("txt_Stop_Bit", "1", "Numero bit di stop");
    auto* settings = new QGridLayout(fra_Speed);
    settings->addWidget(Label("lbl_Baud_Rates", "Baud Rates:"), 0, 0);
    settings->addWidget(txt_Baud_Rates, 0, 1);
    settings->addWidget(Label("lbl_Lenght_Byte", "Lunghezza dato in bit:"), 1, 0);
    settings->addWidget(txt_Lenght_Byte, 1, 1);
    settings->addWidget(Label("lbl_Parity_Bit", "Bit di parità:"), 2, 0);
    settings->addWidget(txt_Parity_Bit, 2, 1);
    settings->addWidget(Label("lbl_Stop_Bit", "Bit di stop:"), 3, 0);
    settings->addWidget(txt_Stop_Bit, 3, 1);

    auto* top = new QHBoxLayout;
    top->addLayout(left, 3);
    top->addWidget(fra_Speed, 2);
    body->addLayout(top);

    fra_Comandi = Frame("fra_Comandi", "Lettura/Scrittura modulo LCD alarm:");
    cmd_Write_RS232 =
        Button("cmd_Write_RS232", "Scrivi modulo LCD", "Scrive modulo LCD gestione allarmi");
    auto* commands = new QHBoxLayout(fra_Comandi);
    commands->addWidget(cmd_Write_RS232);
    commands->addStretch(1);
    // Stop stands beside the command group, not in it, so disabling the group leaves it usable.
    cmd_Stop_RS232 = Button("cmd_Stop_RS232", "Stop ",
                            "Abortisce scrittura / lettura modulo LCD gestione allarmi");
    auto* command_row = new QHBoxLayout;
    command_row->addWidget(fra_Comandi, 1);
    command_row->addWidget(cmd_Stop_RS232, 0, Qt::AlignBottom);
    body->addLayout(command_row);

    rtb_RS232_SPY = new QTextEdit;
    rtb_RS232_SPY->setObjectName(QStringLiteral("rtb_RS232_SPY"));
    rtb_RS232_SPY->setReadOnly(true);
    rtb_RS232_SPY->setAcceptRichText(false);
    QFont log_font(QStringLiteral("Courier New"));
    log_font.setStyleHint(QFont::TypeWriter);
    log_font.setPointSizeF(9.75);
    log_font.setBold(true);
    rtb_RS232_SPY->setFont(log_font);
    rtb_RS232_SPY->document()->setDefaultFont(log_font);
    rtb_RS232_SPY->setMinimumHeight(200);
    body->addWidget(rtb_RS232_SPY, 1);

    pgb_RS232 = new QProgressBar;
    pgb_RS232->setObjectName(QStringLiteral("pgb_RS232"));
    pgb_RS232->setRange(0, Progress_Maximum);
    pgb_RS232->setValue(0);
    body->addWidget(pgb_RS232);

    txt_Send_Packet = Read_Only_Field("txt_Send_Packet", "0", "Numero pacchetti inviati al PIC");
    txt_Received_Packet =
        Read_Only_Field("txt_Received_Packet", "0", "Numero pacchetti ricevuti dal PIC");
    auto* counters = new QGridLayout;
    counters->addWidget(Label("lbl_Send_Packet", "Pacchetti inviati al PIC:"), 0, 0);
    counters->addWidget(txt_Send_Packet, 0, 1);
    counters->addWidget(Label("lbl_Received_Packet", "Pacchetti ricevuti dal PIC:"), 1, 0);
    counters->addWidget(txt_Received_Packet, 1, 1);
    cmd_Exit = Button("cmd_Exit", "E&xit", "");
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(counters);
    bottom->addStretch(1);
    bottom->addWidget(cmd_Exit, 0, Qt::AlignBottom);
    body->addLayout(bottom);
    lbl_Stato = new QLabel;
    lbl_Stato->setObjectName(QStringLiteral("lbl_Stato"));
    lbl_Stato->setToolTip(Q("Andamento della scrittura in corso, poi il suo esito"));
    body->addWidget(lbl_Stato);

    resize(660, 580);

    // Scans select without signals, so a change seen here is the user's own choice.
    connect(cmb_RS232, &QComboBox::currentTextChanged, this, [this] {
        missing_.reset();
        Show_Port_Device();
    });
    // An entry longer than the field shows its start, where the number is.
    connect(cmb_RS232, &QComboBox::currentIndexChanged, this,
            [this] { cmb_RS232->lineEdit()->setCursorPosition(0); });
    connect(cmd_Scan_RS232, &QPushButton::clicked, this, [this] { cmd_Scan_RS232_Click(); });
    connect(cmd_ON, &QPushButton::clicked, this, [this] { cmd_ON_Click(); });
    connect(cmd_OFF, &QPushButton::clicked, this, [this] { cmd_OFF_Click(); });
    connect(cmd_Stop_RS232, &QPushButton::clicked, this, [this] { cmd_Stop_RS232_Click(); });
    connect(cmd_Write_RS232, &QPushButton::clicked, this, [this] { cmd_Write_RS232_Click(); });
    connect(cmd_Exit, &QPushButton::clicked, this, [this] { close(); });
}
