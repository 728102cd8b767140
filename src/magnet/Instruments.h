#pragma once
// The instruments the program drives over the bus and the amplifier's line,
// as objects that hold what they use: the bus slot (filled once the command
// line has chosen the back-end), the buffer amplifier's byte link, the Hall
// electronics, the magnet and the amplifier. All of them read and write the
// core records they are given; the program's state owns one set, a test of
// the instrument layers makes its own over the records it set up.
#include "bus/GpibBus.h"
#include "electronics/BufferAmplifierLink.h"
#include "electronics/HallUnit.h"
#include "magnet/BufferAmplifier.h"
#include "magnet/Magnet.h"

struct CoreRecords;

class Instruments {
  public:
    explicit Instruments(CoreRecords& records)
        : records_(records),
          hall_(bus_, records, link_),
          magnet_(bus_, records),
          amplifier_(link_) {}
    Instruments(const Instruments&) = delete;
    Instruments& operator=(const Instruments&) = delete;

    CoreRecords& Records() { return records_; }
    BusSlot& Bus() { return bus_; }
    BufferAmplifierLink& AmplifierLink() { return link_; }
    HallUnit& Hall() { return hall_; }
    Magnet& MagnetUnit() { return magnet_; }
    BufferAmplifier& Amplifier() { return amplifier_; }

  private:
    CoreRecords& records_;
    BusSlot bus_;
    BufferAmplifierLink link_;
    HallUnit hall_;
    Magnet magnet_;
    BufferAmplifier amplifier_;
};
