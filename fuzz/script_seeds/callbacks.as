int touches = 0;
void Created(SceneObject@+ self) { deliverTo(2, "made"); }
void Update(SceneObject@+ self, uint timeMS) { if (timeMS > 0) deliverTo(3, "tick"); }
void OnBeginContact(SceneObject@+ self, SceneObject@+ other) { touches++; }
void OnEndContact(SceneObject@+ self, SceneObject@+ other) { touches--; }
void OnKeyPress(SceneObject@+ self, EKEY_CODE key) { touches += int(key); }
void OnMouseMove(SceneObject@+ self, int x, int y) {}
void OnMouseDown(SceneObject@+ self, int x, int y, int button) { deliverTo(1, "down"); }
void OnMouseWheel(SceneObject@+ self, int x, int y, float delta) {}
void OnEvent(SceneObject@+ self, SceneObject@+ sender, string event, string data, vector2df origin, float range) { if (event == "tick") deliverTo(1, data); }
