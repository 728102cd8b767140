#pragma once
// A module's part of the program's state as its accessors see it: the part
// the program state installed, else the module's own (a unit test of that
// module alone installs none). Each module keeps one in a function-local
// static behind its accessors.
template <class Part>
class InstalledPart {
  public:
    Part& Current() { return installed_ ? *installed_ : own_; }
    // Makes `part` the current one (nullptr: the module's own again) and
    // returns the one installed before.
    Part* Install(Part* part) {
        Part* before = installed_;
        installed_ = part;
        return before;
    }

  private:
    Part* installed_ = nullptr;
    Part own_{};
};
