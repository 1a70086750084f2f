"""The long-function checker: what it counts as a function and how long it finds it."""
import importlib.machinery
import importlib.util
import pathlib
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
_loader = importlib.machinery.SourceFileLoader("long_functions", str(ROOT / "scripts/dev/long-functions"))
_spec = importlib.util.spec_from_loader("long_functions", _loader)
checker = importlib.util.module_from_spec(_spec)
_loader.exec_module(checker)


def body(lines):
    return "".join(f"    x += {i};\n" for i in range(lines))


class LongFunctionsTest(unittest.TestCase):
    def found(self, source, limit=5):
        with tempfile.TemporaryDirectory() as folder:
            path = pathlib.Path(folder) / "a.cpp"
            path.write_text(source)
            return sorted((name, line, length) for length, line, name in checker.long_functions(path, limit))

    def test_functions_are_measured_from_declaration_to_closing_brace(self):
        cases = [
            ("free function", "// why\nint F(int a,\n      int b) {\n" + body(4) + "}\n", [("F", 2, 7)]),
            ("template line counts", "template <class T>\nT G() {\n" + body(4) + "}\n", [("G", 1, 7)]),
            ("member in namespace and class",
             "namespace n {\nclass C {\npublic:\n    void M() {\n" + body(4) + "    }\n};\n}\n", [("M", 4, 6)]),
            ("qualified name", "void C::M() const {\n" + body(5) + "}\n", [("C::M", 1, 7)]),
            ("at the limit", "void S() {\n" + body(3) + "}\n", []),
        ]
        for name, source, expected in cases:
            with self.subTest(name):
                self.assertEqual(self.found(source), expected)

    def test_braces_that_open_no_function_are_not_counted(self):
        cases = [
            ("table", "const int kTable[] = {\n" + "1,\n" * 10 + "};\n"),
            ("brace-initialised array", "constexpr std::array kA{\n" + "1,\n" * 10 + "};\n"),
            ("struct", "struct S {\n" + "    int a;\n" * 10 + "};\n"),
            ("enum", "enum class E : int {\n" + "    A,\n" * 10 + "};\n"),
            ("lambda held by a variable", "const auto f = [](int x) {\n" + body(8) + "};\n"),
        ]
        for name, source in cases:
            with self.subTest(name):
                self.assertEqual(self.found(source), [])

    def test_text_that_looks_like_code_does_not_mislead_the_count(self):
        cases = [
            ("brace in a string", 'void F() {\n    const char* s = "}";\n' + body(5) + "}\n", [("F", 1, 8)]),
            ("brace in a comment", "void F() {\n    // }\n" + body(5) + "}\n", [("F", 1, 8)]),
            ("brace in a character", "void F() {\n    char c = '}';\n" + body(5) + "}\n", [("F", 1, 8)]),
            ("raw string", 'void F() {\n    auto s = R"x(})x";\n' + body(5) + "}\n", [("F", 1, 8)]),
            ("member brace initialiser", "C::C(int a) : a_{a}, b_(a) {\n" + body(5) + "}\n", [("C::C", 1, 7)]),
            ("nested lambda", "void F() {\n    auto g = [] {\n" + body(2) + "    };\n" + body(2) + "}\n",
             [("F", 1, 8)]),
        ]
        for name, source, expected in cases:
            with self.subTest(name):
                self.assertEqual(self.found(source), expected)


if __name__ == "__main__":
    unittest.main()
