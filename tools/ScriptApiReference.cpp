#include "ScriptApiReference.h"

#include <angelscript.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <vector>

namespace orv::tools {

using namespace AngelScript;

namespace {

// A member's line and the name it is found by; a list reads in name order.
struct SLine
{
	std::string name;
	std::string text;
	bool operator<(const SLine& other) const { return name != other.name ? name < other.name : text < other.text; }
	bool operator==(const SLine& other) const { return name == other.name && text == other.text; }
};
typedef std::vector<SLine> Lines;

std::string qualified(const char* nameSpace, const std::string& name)
{
	if (!nameSpace || !*nameSpace)
		return name;
	return std::string(nameSpace) + "::" + name;
}

// Parameter names are part of what the registrations say.
SLine declarationOf(const asIScriptFunction* function)
{
	return {function->GetName(), function->GetDeclaration(false, true, true)};
}

SLine funcdefOf(const asITypeInfo* funcdef, bool includeNamespace)
{
	const asIScriptFunction* signature = funcdef->GetFuncdefSignature();
	return {signature->GetName(), "funcdef " + std::string(signature->GetDeclaration(true, includeNamespace, true))};
}

void sortLines(Lines& lines)
{
	std::sort(lines.begin(), lines.end());
	lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
}

void writeList(std::ostream& out, const char* title, Lines lines)
{
	if (lines.empty())
		return;
	sortLines(lines);
	out << title << ":\n\n";
	for (const SLine& line : lines)
		out << "- `" << line.text << "`\n";
	out << "\n";
}

std::string typeName(const asITypeInfo* type)
{
	std::string name = type->GetName();
	const asUINT subTypes = type->GetSubTypeCount();
	if (subTypes == 0)
		return qualified(type->GetNamespace(), name);
	name += "<";
	for (asUINT i = 0; i < subTypes; ++i)
	{
		if (i)
			name += ", ";
		name += type->GetSubType(i)->GetName();
	}
	return qualified(type->GetNamespace(), name + ">");
}

std::string kindOf(const asITypeInfo* type)
{
	const asDWORD flags = type->GetFlags();
	std::string kind;
	if (flags & asOBJ_VALUE)
		kind = "Value type: a script holds copies.";
	else if (flags & asOBJ_NOHANDLE)
		kind = "Reference type without handles: a script reaches it only through its global.";
	else if (flags & asOBJ_NOCOUNT)
		kind = "Reference type: a script holds handles (`@`); the engine owns the objects.";
	else
		kind = "Reference type: a script holds counted handles (`@`).";
	if (flags & asOBJ_TEMPLATE)
		kind += " A template over its subtype.";
	return kind;
}

// A method named get_X without parameters or set_X with one is read and
// written as the property X.
bool accessorName(const asIScriptFunction* method, std::string& property, bool& isGetter)
{
	const std::string name = method->GetName();
	if (name.size() <= 4 || (name.compare(0, 4, "get_") != 0 && name.compare(0, 4, "set_") != 0))
		return false;
	isGetter = name[0] == 'g';
	if (method->GetParamCount() != (isGetter ? 0u : 1u))
		return false;
	property = name.substr(4);
	return true;
}

bool isReservedWord(asIScriptEngine& engine, const std::string& name)
{
	asUINT length = 0;
	return engine.ParseToken(name.c_str(), name.size(), &length) == asTC_KEYWORD && length == name.size();
}

bool isOperator(const std::string& name)
{
	return name.size() > 2 && name.compare(0, 2, "op") == 0 && std::isupper(static_cast<unsigned char>(name[2]));
}

void writeObjectType(asIScriptEngine& engine, const asITypeInfo* type, std::ostream& out)
{
	out << "### " << typeName(type) << "\n\n" << kindOf(type) << "\n\n";

	Lines constructors;
	for (asUINT i = 0; i < type->GetFactoryCount(); ++i)
		constructors.push_back(declarationOf(type->GetFactoryByIndex(i)));
	for (asUINT i = 0; i < type->GetBehaviourCount(); ++i)
	{
		asEBehaviours behaviour;
		const asIScriptFunction* function = type->GetBehaviourByIndex(i, &behaviour);
		if (behaviour == asBEHAVE_CONSTRUCT || behaviour == asBEHAVE_LIST_CONSTRUCT)
			constructors.push_back(declarationOf(function));
	}
	writeList(out, "Constructors", constructors);

	Lines properties;
	for (asUINT i = 0; i < type->GetPropertyCount(); ++i)
	{
		const char* name = nullptr;
		type->GetProperty(i, &name);
		properties.push_back({name, type->GetPropertyDeclaration(i, true)});
	}

	// Accessors become one line per property: its type, and whether it can be written.
	struct SAccessors
	{
		std::string type;
		bool read = false;
		bool write = false;
	};
	std::map<std::string, SAccessors> accessors;
	Lines methods;
	Lines operators;
	for (asUINT i = 0; i < type->GetMethodCount(); ++i)
	{
		const asIScriptFunction* method = type->GetMethodByIndex(i);
		std::string property;
		bool isGetter = false;
		if (accessorName(method, property, isGetter))
		{
			// A script calls these by their own names: `class` is a reserved
			// word, and a setter's result is lost when it is written as a
			// property (`set_animation` tells whether the animation plays).
			const bool reserved = isReservedWord(engine, property);
			if (reserved || (!isGetter && method->GetReturnTypeId() != asTYPEID_VOID))
				methods.push_back(declarationOf(method));
			if (reserved)
				continue;
			SAccessors& entry = accessors[property];
			if (isGetter)
			{
				entry.read = true;
				entry.type = engine.GetTypeDeclaration(method->GetReturnTypeId(), true);
			}
			else
			{
				int typeId = 0;
				method->GetParam(0, &typeId);
				entry.write = true;
				if (entry.type.empty())
					entry.type = engine.GetTypeDeclaration(typeId, true);
			}
			continue;
		}
		(isOperator(method->GetName()) ? operators : methods).push_back(declarationOf(method));
	}
	for (const auto& entry : accessors)
	{
		const SAccessors& a = entry.second;
		properties.push_back({entry.first,
			a.type + " " + entry.first +
				(a.read && a.write ? " (read and write)"
						: a.read   ? " (read only)"
								   : " (write only)")});
	}
	writeList(out, "Properties", properties);
	writeList(out, "Methods", methods);
	writeList(out, "Operators", operators);

	Lines funcdefs;
	for (asUINT i = 0; i < type->GetChildFuncdefCount(); ++i)
		// The signature of a template's own function type has no namespace to ask for.
		funcdefs.push_back(funcdefOf(type->GetChildFuncdef(i), false));
	writeList(out, "Function types", funcdefs);
}

void writeEnum(const asITypeInfo* type, std::ostream& out)
{
	out << "### " << typeName(type) << "\n\n| Name | Value |\n|---|---|\n";
	std::vector<std::pair<int, std::string>> values;
	for (asUINT i = 0; i < type->GetEnumValueCount(); ++i)
	{
		int value = 0;
		const char* name = type->GetEnumValueByIndex(i, &value);
		values.emplace_back(value, name);
	}
	std::sort(values.begin(), values.end());
	for (const auto& value : values)
		out << "| `" << value.second << "` | " << value.first << " |\n";
	out << "\n";
}

template <typename Key> std::vector<std::pair<std::string, Key>> byName(std::vector<std::pair<std::string, Key>> items)
{
	std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
	return items;
}

} // namespace

std::string typeAnchor(const std::string& typeName)
{
	// GitHub's rule for headings: lower case, spaces to dashes, punctuation gone.
	std::string anchor;
	for (char c : typeName)
	{
		const unsigned char u = static_cast<unsigned char>(c);
		if (std::isalnum(u) || c == '_' || c == '-')
			anchor += static_cast<char>(std::tolower(u));
		else if (c == ' ')
			anchor += '-';
	}
	return anchor;
}

std::string findGlobalPropertyDeclaration(asIScriptEngine& engine, const std::string& name)
{
	for (asUINT i = 0; i < engine.GetGlobalPropertyCount(); ++i)
	{
		const char* propertyName = nullptr;
		const char* nameSpace = nullptr;
		int typeId = 0;
		bool isConst = false;
		engine.GetGlobalPropertyByIndex(i, &propertyName, &nameSpace, &typeId, &isConst);
		if (qualified(nameSpace, propertyName) == name)
			return std::string(isConst ? "const " : "") + engine.GetTypeDeclaration(typeId, true) + " " + name;
	}
	return std::string();
}

void writeScriptApiReference(asIScriptEngine& engine, std::ostream& out)
{
	std::vector<std::pair<std::string, const asITypeInfo*>> enums;
	for (asUINT i = 0; i < engine.GetEnumCount(); ++i)
		enums.emplace_back(typeName(engine.GetEnumByIndex(i)), engine.GetEnumByIndex(i));
	std::vector<std::pair<std::string, const asITypeInfo*>> types;
	for (asUINT i = 0; i < engine.GetObjectTypeCount(); ++i)
		types.emplace_back(typeName(engine.GetObjectTypeByIndex(i)), engine.GetObjectTypeByIndex(i));

	Lines typedefs;
	for (asUINT i = 0; i < engine.GetTypedefCount(); ++i)
	{
		const asITypeInfo* type = engine.GetTypedefByIndex(i);
		typedefs.push_back({typeName(type),
			"typedef " + std::string(engine.GetTypeDeclaration(type->GetTypedefTypeId(), true)) + " " +
				typeName(type)});
	}
	Lines funcdefs;
	for (asUINT i = 0; i < engine.GetFuncdefCount(); ++i)
	{
		const asITypeInfo* type = engine.GetFuncdefByIndex(i);
		// A type's own function types are listed with that type.
		if (!type->GetParentType())
			funcdefs.push_back(funcdefOf(type, true));
	}
	Lines functions;
	for (asUINT i = 0; i < engine.GetGlobalFunctionCount(); ++i)
		functions.push_back(declarationOf(engine.GetGlobalFunctionByIndex(i)));
	Lines properties;
	for (asUINT i = 0; i < engine.GetGlobalPropertyCount(); ++i)
	{
		const char* name = nullptr;
		const char* nameSpace = nullptr;
		engine.GetGlobalPropertyByIndex(i, &name, &nameSpace);
		const std::string fullName = qualified(nameSpace, name);
		properties.push_back({fullName, findGlobalPropertyDeclaration(engine, fullName)});
	}

	out << "## Object types\n\n";
	for (const auto& type : byName(types))
		writeObjectType(engine, type.second, out);

	out << "## Enums\n\n";
	for (const auto& type : byName(enums))
		writeEnum(type.second, out);

	out << "## Global functions and properties\n\n";
	writeList(out, "Global properties", properties);
	writeList(out, "Global functions", functions);
	writeList(out, "Typedefs", typedefs);
	writeList(out, "Function types", funcdefs);
}

} // namespace orv::tools
