#pragma once
// Stage and magnet mechanics of the Hall electronics. A command text is a
// sequence of moves; commands run one after another, each move takes the
// configured time (none when the part is already there), and the end of a
// command's last move produces one completion status byte.
#include <cstdint>
#include <deque>
#include <functional>
#include <string_view>
#include <vector>

#include "vantris_sim/RackConfig.h"

namespace vantris::sim {

// How a queued motion command is to end, set by fault injection.
struct MotionFlags {
    bool noCompletion = false;  // the command ends without a service request
    int faultStatus = 0;        // non-zero: the first move fails with this byte
};

class MagnetStage {
  public:
    enum class Stage { Out, In, Fault };
    enum class Magnet { North, South };  // North gives +tesla with the stage in

    explicit MagnetStage(const MagnetConfig& config);

    // Queues "I" (initialise) or a sequence of "+F", "-F", "+R", "-R".
    // Returns false, queuing nothing, when the text is not such a command.
    bool Queue(std::string_view text, double now, MotionFlags flags);

    // Completes what has ended by `now`; completion bytes go to `done`.
    // `lidOpenAt` tells whether the lid was open at a given time.
    void Update(double now, const std::function<bool(double)>& lidOpenAt,
                std::vector<std::uint8_t>& done);

    // Stage, magnet and interlock bits of the status word (lid not included).
    int StatusBits() const;
    double Field() const;  // tesla at the specimen
    bool Busy() const { return !queue_.empty(); }
    void Reset();

  private:
    enum class Move { StageOut, StageIn, MagnetNorth, MagnetSouth };
    struct Command {
        std::vector<Move> moves;
        bool homing = false;  // initialisation: every move takes its full time
        double arrival = 0.0;
        MotionFlags flags;
    };
    double Duration(Move move, bool homing) const;
    void Apply(Move move);
    static bool IsStageMove(Move move) { return move == Move::StageOut || move == Move::StageIn; }

    MagnetConfig config_;
    Stage stage_ = Stage::Out;
    Magnet magnet_ = Magnet::North;
    bool magnetFault_ = false;
    std::deque<Command> queue_;
    bool running_ = false;  // the front command has started
    std::size_t moveIndex_ = 0;
    double moveStart_ = 0.0;
    double moveEnd_ = 0.0;
    double lastEnd_ = 0.0;
};

}  // namespace vantris::sim
