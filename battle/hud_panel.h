// The battle HUD as the battle engine calls it: per-character panels, gauge chips, the combo
// chart, the hit-count popup and the lock-on marker.
#pragma once

struct LIST_NODE;

void HUD_PanelCreate(int slot, int icon);
void HUD_PanelSetPicture(int slot, int column);
void HUD_PanelShow(int slot, int visible);
void HUD_PanelPreDelete();
void HUD_PanelDelete(int slot);
void HUD_PanelSetTechRow(int slot, int row);
void HUD_PanelSetHeat(const LIST_NODE* node);
void HUD_PanelSetDurability(int slot);
void HUD_GaugeChipsCreate(const LIST_NODE* node, int old_units16, int new_units16);
void HUD_PanelGaugeSet(const LIST_NODE* node, int old_units16, int new_units16, int new_units, int old_levels);
void HUD_PanelSetDelay(int slot, int frames);
void HUD_ComboChartShow(int flag);
void HUD_ComboChartReset();
void HUD_ComboChartCell(int step, int row, int column);
void HUD_HitCountShow(int flag);
void HUD_HitCountUpdate();
void HUD_HitCountStep();
void HUD_LockOnShow(int flag);
// The update of a falling gauge chip (pool kind 4).
int HUD_GaugeChipUpdate();
