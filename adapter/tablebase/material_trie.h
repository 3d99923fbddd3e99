// The material trie: from the ten material counts of a position to its
// endgame class and whether the colours stand exchanged.
#pragma once

#include <cstdint>

enum : int32_t {
  MaterialTrieLevels = 10,  // white P N B R Q, then black P N B R Q
  MaterialTrieBudget = 3,   // at most three men besides the kings
};

// Empties the trie (keeps it usable). Done once per registration set-up.
void ResetMaterialTrie();
// Releases the trie's memory; FindClass answers 0 afterwards.
void FreeMaterialTrie();

// The signed class of the ten counts: +c for class c with its first-named
// side as white, -c for class c with the colours exchanged, 0 when no class
// was entered for them or a count is negative or beyond the budget.
int32_t FindClass(const int32_t counts[10]);

// Enters +class for the class's material and, unless the class is symmetric,
// -class for the material with the colours exchanged. Answers 1, or 0 when
// the class number is unknown or its material exceeds the trie's budget.
int32_t InsertClass(int32_t tableClass);
