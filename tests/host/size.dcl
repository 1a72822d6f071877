size : dialog {
  label = "Size";
  : edit_box { key = "width"; label = "Width"; value = "10"; }
  : toggle { key = "round"; label = "Round"; }
  ok_cancel;
}
