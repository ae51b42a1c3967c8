int a = 1;
int b = a + a * 2 - (a ? 1 : 0);
void Created(SceneObject@+ self) { if (a == 1) { b++; } else if (a == 2) b--; else { while (b > 0) b--; } }
