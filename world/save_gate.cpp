#include "world/save_gate.h"

bool passGate(SaveGate* gate, const std::string& whileUnderWay) {
    if (gate == nullptr) {
        return true;
    }
    al_lock_mutex(gate->mutex);
    const bool open = !gate->closed;
    if (open) {
        gate->standing = whileUnderWay;
    }
    al_unlock_mutex(gate->mutex);
    return open;
}

void leaveGate(SaveGate* gate, const std::string& standing, bool placed) {
    if (gate == nullptr) {
        return;
    }
    al_lock_mutex(gate->mutex);
    gate->standing = standing;
    gate->placed = gate->placed || placed;
    al_unlock_mutex(gate->mutex);
}
