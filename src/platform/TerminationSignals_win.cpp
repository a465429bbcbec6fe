#include "TerminationSignals.h"

namespace dorimek::platform {

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {}

TerminationSignals::TerminationSignals(std::initializer_list<int>, QObject* parent)
    : QObject(parent) {}

TerminationSignals::~TerminationSignals() = default;

void TerminationSignals::drain() {}

}  // namespace dorimek::platform
