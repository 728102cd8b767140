#include "vantris_sim/MagnetStage.h"

#include <algorithm>

namespace vantris::sim {
namespace {
constexpr std::size_t kMaxQueued = 32;
constexpr std::uint8_t kDone = 0x50;
constexpr std::uint8_t kDoneLidOpen = 0x68;
constexpr std::uint8_t kInterlockViolation = 0x65;
}  // namespace

MagnetStage::MagnetStage(const MagnetConfig& config) : config_(config) {}

bool MagnetStage::Queue(std::string_view text, double now, MotionFlags flags) {
    Command command;
    command.arrival = now;
    command.flags = flags;
    if (text == "I") {
        command.homing = true;
        command.moves = {Move::StageOut, Move::MagnetNorth};
    } else {
        if (text.empty() || text.size() % 2 != 0 || text.size() > 32) return false;
        for (std::size_t i = 0; i < text.size(); i += 2) {
            const std::string_view move = text.substr(i, 2);
            if (move == "+F")
                command.moves.push_back(Move::StageOut);
            else if (move == "-F")
                command.moves.push_back(Move::StageIn);
            else if (move == "+R")
                command.moves.push_back(Move::MagnetSouth);
            else if (move == "-R")
                command.moves.push_back(Move::MagnetNorth);
            else
                return false;
        }
    }
    if (queue_.size() >= kMaxQueued) return false;
    queue_.push_back(std::move(command));
    return true;
}

double MagnetStage::Duration(Move move, bool homing) const {
    if (homing) return config_.moveSeconds;
    switch (move) {
        case Move::StageOut:
            return stage_ == Stage::Out ? 0.0 : config_.moveSeconds;
        case Move::StageIn:
            return stage_ == Stage::In ? 0.0 : config_.moveSeconds;
        case Move::MagnetNorth:
            return magnet_ == Magnet::North && !magnetFault_ ? 0.0 : config_.moveSeconds;
        case Move::MagnetSouth:
            return magnet_ == Magnet::South && !magnetFault_ ? 0.0 : config_.moveSeconds;
    }
    return config_.moveSeconds;
}

void MagnetStage::Apply(Move move) {
    switch (move) {
        case Move::StageOut:
            stage_ = Stage::Out;
            break;
        case Move::StageIn:
            stage_ = Stage::In;
            break;
        case Move::MagnetNorth:
            magnet_ = Magnet::North;
            magnetFault_ = false;
            break;
        case Move::MagnetSouth:
            magnet_ = Magnet::South;
            magnetFault_ = false;
            break;
    }
}

void MagnetStage::Update(double now, const std::function<bool(double)>& lidOpenAt,
                         std::vector<std::uint8_t>& done) {
    while (!queue_.empty()) {
        Command& command = queue_.front();
        auto finish = [&](double at, int status) {
            if (!command.flags.noCompletion) done.push_back(static_cast<std::uint8_t>(status));
            lastEnd_ = at;
            running_ = false;
            queue_.pop_front();
        };
        if (!running_) {
            running_ = true;
            moveIndex_ = 0;
            moveStart_ = std::max(command.arrival, lastEnd_);
            if (moveStart_ > now) {
                running_ = false;
                return;
            }
            moveEnd_ = moveStart_ + Duration(command.moves[0], command.homing);
        }
        const Move move = command.moves[moveIndex_];
        // The magnet swings through the space the stage occupies when it is in.
        if (!IsStageMove(move) && stage_ == Stage::In && !command.homing) {
            finish(moveStart_, kInterlockViolation);
            continue;
        }
        if (now < moveEnd_) return;
        if (command.flags.faultStatus != 0) {
            if (IsStageMove(move))
                stage_ = Stage::Fault;
            else
                magnetFault_ = true;
            finish(moveEnd_, command.flags.faultStatus);
            continue;
        }
        Apply(move);
        if (++moveIndex_ == command.moves.size()) {
            finish(moveEnd_, lidOpenAt(moveEnd_) ? kDoneLidOpen : kDone);
            continue;
        }
        moveStart_ = moveEnd_;
        moveEnd_ = moveStart_ + Duration(command.moves[moveIndex_], command.homing);
    }
}

int MagnetStage::StatusBits() const {
    int bits = 0;
    const bool moving = running_ && !queue_.empty();
    const Move move = moving ? queue_.front().moves[moveIndex_] : Move::StageOut;
    const bool stageMoving = moving && IsStageMove(move) && moveEnd_ > moveStart_;
    const bool magnetMoving = moving && !IsStageMove(move) && moveEnd_ > moveStart_;
    if (stageMoving)
        bits |= 0x18;
    else if (stage_ == Stage::Out)
        bits |= 0x08;
    else if (stage_ == Stage::In)
        bits |= 0x10;
    if (!magnetMoving && !magnetFault_) bits |= 0x20;
    if (magnet_ == Magnet::South) bits |= 0x04;
    return bits;
}

double MagnetStage::Field() const {
    const int bits = StatusBits();
    if ((bits & 0x18) != 0x10 || !(bits & 0x20)) return 0.0;
    return magnet_ == Magnet::North ? config_.tesla : -config_.tesla;
}

void MagnetStage::Reset() {
    queue_.clear();
    running_ = false;
}

}  // namespace vantris::sim
