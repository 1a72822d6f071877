// The host's dialog (DCL) functions (the real SDK's adsdlg.h), with C linkage as there.
#pragma once

#include "adsdef.h"

extern "C" {

typedef void* ads_hdlg;
typedef void* ads_htile;

typedef struct {
  ads_hdlg dialog;
  ads_htile tile;
  ACHAR* value;
  void* client_data;
  int reason;
  long x, y;
} ads_callback_packet;

// Reasons in a tile's callback packet.
#define CBR_SELECT 1
#define CBR_LOST_FOCUS 2
#define CBR_DRAG 3
#define CBR_DOUBLE_CLICK 4

typedef void (*CLIENTFUNC)(ads_callback_packet* cpkt);

#define NULLCB ((CLIENTFUNC)0)

// Status of ads_start_dialog.
#define DLGCANCEL 0
#define DLGOK 1
#define DLGALLDONE -1
#define DLGSTATUS 2

// Modes of ads_mode_tile.
#define MODE_ENABLE ((short)0)
#define MODE_DISABLE ((short)1)
#define MODE_SETFOCUS ((short)2)
#define MODE_SETSEL ((short)3)
#define MODE_FLIP ((short)4)

// Room for a tile's value; the limit of any dialog string.
#define MAX_TILE_STR 40
#define TILE_STR_LIMIT 2035

int ads_load_dialog(const ACHAR* dclfile, int* dcl_id);
int ads_unload_dialog(int dcl_id);
int ads_new_dialog(const ACHAR* dlgname, int dcl_id, CLIENTFUNC def_callback, ads_hdlg* hdlg);
int ads_new_positioned_dialog(const ACHAR* dlgname, int dcl_id, CLIENTFUNC def_callback, int x,
                              int y, ads_hdlg* hdlg);
int ads_start_dialog(ads_hdlg hdlg, int* status);
int ads_action_tile(ads_hdlg hdlg, const ACHAR* key, CLIENTFUNC tilefunc);
int ads_done_dialog(ads_hdlg hdlg, int status);
int ads_done_positioned_dialog(ads_hdlg hdlg, int status, int* x_result, int* y_result);
int ads_set_tile(ads_hdlg hdlg, const ACHAR* key, const ACHAR* value);
int ads_client_data_tile(ads_hdlg hdlg, const ACHAR* key, void* clientdata);
int ads_get_tile(ads_hdlg hdlg, const ACHAR* key, ACHAR* value, int maxlen);
int ads_mode_tile(ads_hdlg hdlg, const ACHAR* key, short mode);

}  // extern "C"
