// The command bodies of the module's chain commands, called by the frame's command handlers.
#pragma once

// Chain by points.
void Dulk();
// Adding points to chains.
void BemAdd();
// Removing points from a chain.
void BemDel();
// Chain by cut line.
void AutoBem();
// Chain update.
void BemUpd();
