#pragma once
// The magnet and its stage, driven through the Hall electronics: motions run
// to their end with the modal "Wait for Magnet" dialog, the status word and
// the lid. The object holds what it uses, given at construction: the bus
// slot and the program's core records (run configuration for demo and manual
// modes, run state for the wait's abort).
#include <string>

#include "magnet/MagnetMotion.h"

class BusSlot;
class FieldSet;
class QWidget;
struct CoreRecords;

class Magnet {
  public:
    Magnet(BusSlot& bus, CoreRecords& records) : bus_(bus), records_(records) {}
    Magnet(const Magnet&) = delete;
    Magnet& operator=(const Magnet&) = delete;

    // One command text ("-F", "+F+R-F", "+F-R", "+F", "I", ...). Returns when
    // the motion is complete, has failed (after its message) or has timed
    // out. A bus error while writing the command propagates as xgpib.
    MotionOutcome MoveMagnet(QWidget* parent, const std::string& command);

    // The start-up initialisation ("I") is written without waiting for it.
    // Until its completion has been seen, the next motion first waits for
    // it: a measurement started within the seconds the initialisation takes
    // must not read its first field with the stage still travelling.
    void SetInitialisationPending(bool pending) { initialisationPending_ = pending; }

    // Reads the word; a reply that is not one number is read past a few
    // times, then xmeas "Status Unreadable". Bus errors pass as xgpib.
    int ReadStatusWord();
    // The magnet page's three status fields from the word read now; a read
    // error is shown ("Exception:") and the fields show the word 0.
    void ReadMagnetStatus(FieldSet& page, QWidget* owner);
    // The lid check before a measurement or a blast: while the lid is open,
    // asks the operator to close it. True when the operator cancelled with
    // the lid still open.
    bool LidStaysOpen(QWidget* owner);

  private:
    struct Awaited;
    Awaited AwaitMotion(QWidget* owner);

    BusSlot& bus_;
    CoreRecords& records_;
    bool initialisationPending_ = false;
};
