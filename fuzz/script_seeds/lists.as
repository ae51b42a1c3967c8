array<array<int>> grid = {{1, 2, 3}, {4, 5}, {}, {6}};
string[] names = {"a", "b", """long
text""", 'c'};
int[] empty = {};
array<vector2df> points = {vector2df(1, 2), vector2df(3, 4)};
double big = 1.5e+3 - 2.5E-2 + 0x1F + 0b101;
void Created(SceneObject@+ self) {
	array<array<string>> rows = {{"x"}, {"y", "z"}};
	int sum = 0;
	for (uint i = 0; i < grid.length(); ++i)
		for (uint j = 0; j < grid[i].length(); ++j)
			sum += grid[i][j];
	names.insertLast(rows[1][0]);
	switch (sum) { case 0: break; case 21: sum = 1; break; default: sum = -1; }
}
