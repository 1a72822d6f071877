// The settings dialog command BemDia: shows the dialog "dulk" of the file "./dulk.dcl", in which
// the user edits DimSettings for the current dimension style and the host variable DIMRND, and
// stores the style with its settings when the dialog closes, after OK and after Cancel alike.
#pragma once

#include <cstdint>

#include "host/arxHeaders.h"

// Where the dialog last closed with OK, kept for as long as the module stays loaded; -1 lets the
// host place it.
extern int32_t dlg_x;
extern int32_t dlg_y;

// Command body of BemDia; RTERROR when the dialog cannot be shown (nothing is stored then).
int BemDia();

// Writes DimSettings and DIMRND into the dialog's tiles; each edit tile's client data is its key.
// qrm09 is left alone when DIMRND cannot be read.
void dlg_fill(ads_hdlg hdlg);

// Reads the tiles into DimSettings (not into rounding) and qrm09 into DIMRND. Real tiles are read
// as distances in the drawing's linear units; a text that is no distance leaves its field (or
// DIMRND) as it was. Integer tiles take the leading decimal integer of their text, 0 without one.
void dlg_read(ads_hdlg hdlg);

// The OK button: dlg_read, then the dialog ends with status 1 and its place goes to dlg_x, dlg_y.
void dlg_accept(ads_callback_packet* cpkt);

// An integer tile was edited: a negative number puts an error text into "error" and the tile back
// to "0", focused and selected; otherwise the error text is cleared and the tile shows the number
// in plain form ("007" becomes "7").
void dlg_int(ads_callback_packet* cpkt);

// A real tile was edited: a text that is a distance is shown as its number in "%g" form ("0.50"
// becomes "0.5"), unless that form would read back as another number; anything else stays as
// typed. Nothing is rejected and the error text is left alone.
void dlg_real(ads_callback_packet* cpkt);
