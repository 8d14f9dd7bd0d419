// Stand-in for the battle HUD until the battle modes build it: every call but the per-frame
// refreshes is recorded, nothing is drawn.
#include "battle/hud_panel.h"

#include "battle/btl_common.h"
#include "battle/list_pool.h"

namespace {
int Slot(const LIST_NODE* node) { return node ? node->slot : -1; }
}  // namespace

void HUD_PanelCreate(int slot, int icon) { BTL_Record("HUD_PanelCreate %d %d", slot, icon); }
void HUD_PanelSetPicture(int slot, int column) { BTL_Record("HUD_PanelSetPicture %d %d", slot, column); }
void HUD_PanelShow(int slot, int visible) { BTL_Record("HUD_PanelShow %d %d", slot, visible); }
void HUD_PanelPreDelete() { BTL_Record("HUD_PanelPreDelete"); }
void HUD_PanelDelete(int slot) { BTL_Record("HUD_PanelDelete %d", slot); }
void HUD_PanelSetTechRow(int slot, int row) { BTL_Record("HUD_PanelSetTechRow %d %d", slot, row); }
void HUD_PanelSetHeat(const LIST_NODE*) {}
void HUD_PanelSetDurability(int) {}
void HUD_GaugeChipsCreate(const LIST_NODE* node, int old_units16, int new_units16) {
    BTL_Record("HUD_GaugeChipsCreate %d %d %d", Slot(node), old_units16, new_units16);
}
void HUD_PanelGaugeSet(const LIST_NODE* node, int old_units16, int new_units16, int new_units, int old_levels) {
    BTL_Record("HUD_PanelGaugeSet %d %d %d %d %d", Slot(node), old_units16, new_units16, new_units, old_levels);
}
void HUD_PanelSetDelay(int slot, int frames) { BTL_Record("HUD_PanelSetDelay %d %d", slot, frames); }
void HUD_ComboChartShow(int flag) { BTL_Record("HUD_ComboChartShow %d", flag); }
void HUD_ComboChartReset() { BTL_Record("HUD_ComboChartReset"); }
void HUD_ComboChartCell(int step, int row, int column) { BTL_Record("HUD_ComboChartCell %d %d %d", step, row, column); }
void HUD_HitCountShow(int flag) { BTL_Record("HUD_HitCountShow %d", flag); }
void HUD_HitCountUpdate() {}
void HUD_HitCountStep() {}
void HUD_LockOnShow(int flag) { BTL_Record("HUD_LockOnShow %d", flag); }
int HUD_GaugeChipUpdate() { return 1; }
