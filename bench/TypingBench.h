#pragma once

#include "masterfile/MasterNames.h"

namespace dorimek::bench {

// A drug master of about `drugs` names shaped like a clinic's: ingredients
// of a few kana each with one to dozens of products (forms, strengths,
// makers' generics), sharing long prefixes. sorted: grouped in name order as
// a clinic keeps its file for the kana buttons; else in a shuffled order.
masterfile::MasterNames syntheticMaster(int drugs, bool sorted, unsigned seed = 1);

// Keystrokes to reach 100 random drugs by typing, for a master of `drugs`
// names in both orders. Prints the table's rows; returns failures.
int measureKeystrokes(int drugs);

// In a child with a QApplication: the drug list of `records` names, typed
// into key by key; prints "first-ms median-ms max-ms keys".
int measureKeyToMove(int records);

}  // namespace dorimek::bench
