funcdef int FMap(int);
funcdef void FThen(const string &in);
FMap@ twice = function(v) { return v * 2; };
int apply(FMap@ f, int v) { return f is null ? v : f(v); }
void later(FThen@ then) { then("done"); }
void Update(SceneObject@+ self, uint t) {
	FMap@ add = function(v) { FMap@ inner = function(w) { return w + 1; }; return inner(v) + 1; };
	int r = apply(add, apply(twice, int(t)));
	later(function(text) { deliverTo(2, text); });
	array<int> a = {5, 1, 4};
	a.sort(function(x, y) { return x > y; });
}
