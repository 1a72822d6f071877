// Dialog of the command BemDia: the Dulk settings of the current dimension style.
// The keys qrm01..qrm09, "error" and "accept" are read and written by the module; the labels and
// the layout are free to change.

// Every field is a short number. The module reads at most 39 characters of a tile, so nothing
// longer may be typed.
dulk_field : edit_box {
  edit_width = 10;
  edit_limit = 39;
  fixed_width = true;
  allow_accept = true;
}

dulk : dialog {
  label = "Bemaßungsketten – Einstellungen";
  initial_focus = "qrm01";

  : boxed_column {
    label = "Text";
    : dulk_field { key = "qrm01"; label = "Längenfaktor"; }
    : dulk_field { key = "qrm02"; label = "Hochgestellt ab Stelle"; }
    : dulk_field { key = "qrm03"; label = "Führende Null (0/1)"; }
    : dulk_field { key = "qrm07"; label = "Mindestanzahl Nachkommastellen"; }
    : dulk_field { key = "qrm09"; label = "Rundung"; }
  }

  : boxed_column {
    label = "Abstände";
    : dulk_field { key = "qrm04"; label = "Abstand Bezugslinie - Masslinie"; }
    : dulk_field { key = "qrm05"; label = "Länge innere Hilfslinien"; }
    : dulk_field { key = "qrm06"; label = "Abstand paralleler Ketten"; }
  }

  errtile;
  ok_cancel;
}
