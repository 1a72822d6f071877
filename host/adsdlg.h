// The host's dialog (DCL) functions.
#pragma once

#include "adsdef.h"

typedef void* ads_hdlg;
typedef void* ads_htile;

struct ads_callback_packet {
  ads_hdlg dialog;
  ads_htile tile;
  ACHAR* value;
  void* client_data;
  int reason;
  long x;
  long y;
};

typedef void (*CLIENTFUNC)(ads_callback_packet* cpkt);

#define NULLCB ((CLIENTFUNC)0)
#define DLGCANCEL 0
#define DLGOK 1
#define DLGALLDONE -1
#define DLGSTATUS 2
#define MAX_TILE_STR 40
#define TILE_STR_LIMIT 2035
#define MODE_ENABLE 0
#define MODE_DISABLE 1
#define MODE_SETFOCUS 2
#define MODE_SETSEL 3
#define MODE_FLIP 4
#define CBR_SELECT 1
#define CBR_LOST_FOCUS 2
#define CBR_DRAG 3
#define CBR_DOUBLE_CLICK 4

extern "C" {
int ads_load_dialog(const ACHAR* dclfile, int* dcl_id);
int ads_unload_dialog(int dcl_id);
int ads_new_dialog(const ACHAR* dlgname, int dcl_id, CLIENTFUNC def_callback, ads_hdlg* hdlg);
int ads_new_positioned_dialog(const ACHAR* dlgname, int dcl_id, CLIENTFUNC def_callback, int x,
                              int y, ads_hdlg* hdlg);
int ads_action_tile(ads_hdlg hdlg, const ACHAR* key, CLIENTFUNC tilefunc);
int ads_set_tile(ads_hdlg hdlg, const ACHAR* key, const ACHAR* value);
int ads_get_tile(ads_hdlg hdlg, const ACHAR* key, ACHAR* value, int maxlen);
int ads_mode_tile(ads_hdlg hdlg, const ACHAR* key, short mode);
int ads_client_data_tile(ads_hdlg hdlg, const ACHAR* key, void* clientdata);
int ads_start_dialog(ads_hdlg hdlg, int* status);
int ads_done_dialog(ads_hdlg hdlg, int status);
int ads_done_positioned_dialog(ads_hdlg hdlg, int status, int* x_result, int* y_result);
}
