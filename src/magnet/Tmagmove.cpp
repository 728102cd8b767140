#include "magnet/Tmagmove.h"

#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

#include "views/FieldViews.h"
#include "bus/GpibBus.h"
#include "core/MeasurementState.h"
#include "core/Printf.h"
#include "platform/Prompt.h"
#include "platform/TimeScale.h"
#include "core/xmsg.h"

Tmagmove::Tmagmove(MeasurementState& state, BusSlot& bus, QWidget* parent)
    : QDialog(parent), state_(state), bus_(bus) {
    setObjectName("WAIT");
    setWindowTitle("Wait for Magnet");
    setModal(true);
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(10);
    auto* text = new QLabel("Operation will resume when magnet motion is completed.", this);
    text->setObjectName("text");
    layout->addWidget(text);
    elapsed_ = new QLabel(this);
    elapsed_->setObjectName("field101");
    elapsed_->setAlignment(Qt::AlignCenter);
    QFont big = elapsed_->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    elapsed_->setFont(big);
    // The counter keeps its bare number; its unit stands beside it.
    auto* counter = new QHBoxLayout;
    counter->addStretch();
    counter->addWidget(elapsed_);
    auto* unit = new QLabel("s", this);
    unit->setObjectName("unit101");
    counter->addWidget(unit);
    counter->addStretch();
    layout->addLayout(counter);
    FollowField(fields_, 101, elapsed_);
    fields_.Set(101, "0");

    // Its own Abort, for a motion started outside a run's window (the tool
    // bar is the other way to stop a run while the box is up). The motion in
    // progress completes; the run ends "Cancelled" at its next check.
    abort_ = new QPushButton("Abort", this);
    abort_->setObjectName("button2");
    abort_->setAutoDefault(false);
    connect(abort_, &QPushButton::clicked, this, [this] {
        state_.cancelRequested = true;
        abort_->setEnabled(false);
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(abort_);
    layout->addLayout(buttons);

    timer_ = new QTimer(this);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &Tmagmove::Tick);
}

int Tmagmove::Wait() {
    ticks_ = 0;
    status_ = 0;
    pollFailed_ = false;
    // Only a run can be aborted; a move from the magnet page has nothing to end.
    const bool inRun = state_.busy;
    abort_->setEnabled(inRun && !state_.cancelRequested);
    timer_->start(TimeScale::Ms(kTickMs));
    QPointer<Tmagmove> self(this);
    if (inRun) {
        // Inside a run the box stays up for most of it: it blocks nothing, so
        // the tool bar's Abort reaches the run as in any other wait. The
        // frame refuses every other command while the run holds the lock.
        setWindowModality(Qt::NonModal);
        QEventLoop loop;
        connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
        connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
        show();
        loop.exec();
    } else {
        // Outside a run (the magnet page) nothing else may start meanwhile.
        setWindowModality(Qt::ApplicationModal);
        exec();
    }
    // The dialog may have been destroyed with its parent inside the loop.
    if (!self) return kSoftwareTimeout;
    timer_->stop();
    return status_;
}

void Tmagmove::Tick() {
    if (status_ != 0) return;  // a late tick after the end
    int status = 0;
    QPointer<Tmagmove> self(this);
    try {
        status = bus_.Get().PollHall();
    } catch (const xmsg& e) {
        // No further ticks while the operator reads the message.
        timer_->stop();
        pollFailed_ = true;
        Prompt::Message(this, e.why(), "Exception:", Prompt::Buttons::Ok, Prompt::Icon::Stop);
        if (!self) return;
        status = 0x50;
    }
    // An abort from the tool bar: this box's Abort has nothing left to do.
    if (state_.cancelRequested) abort_->setEnabled(false);
    ++ticks_;
    if (ticks_ > kMaxTicks) status = kSoftwareTimeout;
    fields_.Set(101, Printf("%d", ticks_ / 2));
    if (status != 0) Finish(status);
}

void Tmagmove::Finish(int status) {
    status_ = status;
    timer_->stop();
    done(QDialog::Accepted);
}
