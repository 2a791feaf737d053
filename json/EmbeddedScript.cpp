#include "json/EmbeddedScript.h"

namespace json {
namespace {

// Written for a third-edition engine: no let, no arrow functions, no Array.isArray.
constexpr const char* kScript = R"js(
function get__nodeValue(str_json, recursion) {
    for (var i in str_json) {
        var tag = Object.prototype.toString.call(str_json[i]);
        if (tag == '[object Object]' || tag == '[object Array]') {
            if (recursion) {
                get__nodeValue(str_json[i], recursion);
            }
        } else if (tag == '[object String]' || tag == '[object Number]' ||
                   tag == '[object Boolean]') {
            str_all.push(str_json[i]);
        }
    }
    return str_all;
}

function get__count(c) {
    if (Object.prototype.toString.call(c) == '[object Array]') {
        return c.length;
    }
    return 0;
}

function get__name_All(a) {
    if (Object.prototype.toString.call(a) != '[object Object]') {
        return '';
    }
    var names = [];
    for (var name in a) {
        // toJSONString and parseJSON are enumerable on every object: functions are not data.
        if (typeof a[name] != 'function') {
            names.push(name);
        }
    }
    return names.join('\r\n');
}

function get__extend(target, source) {
    if (Object.prototype.toString.call(target) == '[object Array]') {
        for (var k = 0; k < source.length; k++) {
            target.push(source[k]);
        }
        return target;
    }
    for (var name in source) {
        var kind = typeof target[name];
        if (kind == 'function') {
            continue;
        }
        if (kind == 'object' && target[name] !== null) {
            target[name] = get__extend(target[name], source[name]);
        } else {
            // strings, numbers, booleans, null and missing members take the new value
            target[name] = source[name];
        }
    }
    return target;
}

if (typeof Object.prototype.toJSONString != 'function') {
    Object.prototype.toJSONString = function (filter) {
        return JSON.stringify(this, filter);
    };
}

if (typeof Object.prototype.parseJSON != 'function') {
    Object.prototype.parseJSON = function (filter) {
        return JSON.parse(this, filter);
    };
}
)js";

}  // namespace

const Text& EmbeddedScript() {
    static const Text script(kScript);
    return script;
}

}  // namespace json
