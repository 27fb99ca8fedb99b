// The fleet kit's PowerShell scripts, parsed with tree-sitter's PowerShell
// grammar (WebAssembly): each parses, and uses nothing that Windows
// PowerShell 5.1 lacks; a path is named with -LiteralPath, never -Path, which
// takes the key's "*" for a wildcard. Intune's custom compliance rules are
// checked against the fields Microsoft documents and against the settings
// the discovery script returns. The checker's own rows first: snippets it
// must refuse, so that a check that cannot fail shows.
// Usage: node check_scripts.cjs SOURCE_ROOT PACKAGES (the folder whose
// node_modules holds this folder's package.json's packages)
'use strict';
const fs = require('fs');
const path = require('path');

const [root, packages] = process.argv.slice(2);
const { Parser, Language } = require(require.resolve('web-tree-sitter', { paths: [packages] }));

// What Windows PowerShell 5.1 does not have, by node type, command and parameter.
const kNewerNodes = [
  [/^pipeline_chain_tail$/, '&& or || between commands (PowerShell 7)'],
  [/ternary|null_coalesc|null_conditional/, 'a PowerShell 7 operator'],
];
const kNewerCommands = new Map([
  ['test-json', 'PowerShell 6.1'], ['get-error', 'PowerShell 7'], ['join-string', 'PowerShell 6.2'],
  ['convertfrom-markdown', 'PowerShell 6.1'], ['get-uptime', 'PowerShell 6'], ['remove-service', 'PowerShell 6'],
]);
const kNewerParameters = new Map([
  ['-ashashtable', 'PowerShell 6'], ['-additionalchildpath', 'PowerShell 6'], ['-escapehandling', 'PowerShell 6.2'],
  ['-asbytestream', 'PowerShell 6'], ['-parallel', 'PowerShell 7'], ['-noenumerate', 'PowerShell 7'],
  ['-skipcertificatecheck', 'PowerShell 6'],
]);

// Every problem of one script's text: its line and what is wrong.
function problemsOf(parser, text) {
  const problems = [];
  const visit = (node) => {
    const at = `line ${node.startPosition.row + 1}`;
    if (node.isError || node.isMissing) {
      problems.push(`${at}: does not parse: ${JSON.stringify(node.text.slice(0, 60))}`);
    }
    for (const [pattern, why] of kNewerNodes) {
      if (pattern.test(node.type)) problems.push(`${at}: ${why}`);
    }
    if (node.type === 'command_name' && kNewerCommands.has(node.text.toLowerCase())) {
      problems.push(`${at}: ${node.text} is ${kNewerCommands.get(node.text.toLowerCase())} or later`);
    }
    if (node.type === 'command_parameter') {
      const name = node.text.toLowerCase().replace(/:$/, '');
      if (kNewerParameters.has(name)) problems.push(`${at}: ${node.text} is ${kNewerParameters.get(name)} or later`);
      if (name === '-path') problems.push(`${at}: -Path takes "*" for a wildcard: name the path with -LiteralPath`);
    }
    for (const child of node.children) visit(child);
  };
  const tree = parser.parse(text);
  visit(tree.rootNode);
  if (problems.length === 0 && tree.rootNode.hasError) problems.push('does not parse');
  return problems;
}

// The keys of the hash table literals in a script.
function hashKeys(parser, text) {
  const keys = new Set();
  const visit = (node) => {
    if (node.type === 'key_expression') keys.add(node.text);
    for (const child of node.children) visit(child);
  };
  visit(parser.parse(text).rootNode);
  return keys;
}

// Intune custom compliance rules, as Microsoft documents them.
const kOperators = ['IsEquals', 'NotEquals', 'GreaterThan', 'GreaterEquals', 'LessThan', 'LessEquals'];
const kOperandTypes = {
  Boolean: 'boolean', Int64: 'integer', Double: 'number', String: 'string', DateTime: 'string', Version: 'string',
};
const kRuleFields = ['SettingName', 'Operator', 'DataType', 'Operand', 'MoreInfoUrl', 'RemediationStrings'];
function ruleProblems(rules, settings) {
  const problems = [];
  if (JSON.stringify(Object.keys(rules)) !== '["Rules"]' || !Array.isArray(rules.Rules) || rules.Rules.length === 0) {
    return ['not one object with a non-empty "Rules" array alone'];
  }
  rules.Rules.forEach((rule, i) => {
    const at = `rule ${i}`;
    const fields = Object.keys(rule).sort().join();
    if (fields !== [...kRuleFields].sort().join()) problems.push(`${at}: fields ${fields}, not ${kRuleFields.join()}`);
    if (!settings.has(rule.SettingName)) problems.push(`${at}: ${rule.SettingName} is no setting of discovery.ps1`);
    if (!kOperators.includes(rule.Operator)) problems.push(`${at}: no such operator ${rule.Operator}`);
    const wanted = kOperandTypes[rule.DataType];
    const actual = Number.isInteger(rule.Operand) ? 'integer' : typeof rule.Operand;
    if (wanted === undefined) problems.push(`${at}: no such data type ${rule.DataType}`);
    else if (actual !== wanted && !(wanted === 'number' && actual === 'integer')) {
      problems.push(`${at}: operand ${JSON.stringify(rule.Operand)} is no ${rule.DataType}`);
    }
    if (!/^https:\/\/\S+$/.test(rule.MoreInfoUrl)) problems.push(`${at}: MoreInfoUrl is no https URL`);
    const strings = Array.isArray(rule.RemediationStrings) ? rule.RemediationStrings : [];
    if (!strings.some((s) => s.Language === 'en_US')) problems.push(`${at}: no en_US remediation string`);
    for (const s of strings) {
      if (Object.keys(s).sort().join() !== 'Description,Language,Title' ||
          ![s.Language, s.Title, s.Description].every((t) => typeof t === 'string' && t.length > 0)) {
        problems.push(`${at}: a remediation string is not Language, Title and Description`);
      }
    }
  });
  return problems;
}

// Snippets the checker must refuse: each row names what it catches.
const kMustRefuse = [
  ['unbalanced brace', 'if ($a) { exit 1'],
  ['&& between commands', 'Get-Item -LiteralPath $k && exit 0'],
  ['|| between commands', 'Get-Item -LiteralPath $k || exit 1'],
  ['ternary', '$a = $b ? 1 : 2'],
  ['null coalescing', '$a = $b ?? 2'],
  ['null-conditional member', '$a = $b?.Name'],
  ['-Path on the key', "Get-Item -Path 'HKLM:\\SOFTWARE\\*'"],
  ['ConvertFrom-Json -AsHashtable', '$a = $line | ConvertFrom-Json -AsHashtable'],
  ['Test-Json', 'Test-Json -Json $line'],
  ['ForEach-Object -Parallel', '1..2 | ForEach-Object -Parallel { $_ }'],
];
const kMustRefuseRules = [
  ['a missing field', { Rules: [{ SettingName: 'ComplianceStatus', Operator: 'IsEquals', DataType: 'Int64', Operand: 0 }] }],
  ['a setting discovery.ps1 lacks', { Rules: [{ ...baseRule(), SettingName: 'Compliant' }] }],
  ['an operand of another type', { Rules: [{ ...baseRule(), Operand: '0' }] }],
  ['an unknown operator', { Rules: [{ ...baseRule(), Operator: 'Equals' }] }],
];
function baseRule() {
  return {
    SettingName: 'ComplianceStatus', Operator: 'IsEquals', DataType: 'Int64', Operand: 0,
    MoreInfoUrl: 'https://example.org/', RemediationStrings: [{ Language: 'en_US', Title: 't', Description: 'd' }],
  };
}

function scripts(folder) {
  return fs.readdirSync(folder, { withFileTypes: true }).flatMap((entry) => {
    const full = path.join(folder, entry.name);
    return entry.isDirectory() ? scripts(full) : [full];
  }).sort();
}

(async () => {
  await Parser.init();
  const parser = new Parser();
  const grammar = path.join(path.dirname(require.resolve('tree-sitter-powershell/package.json', { paths: [packages] })),
                            'tree-sitter-powershell.wasm');
  parser.setLanguage(await Language.load(grammar));
  let passed = 0;
  let failed = 0;
  const record = (name, problems) => {
    if (problems.length === 0) {
      console.log(`ok      ${name}`);
      passed += 1;
    } else {
      console.log(`FAILED  ${name}: ${problems.join('; ')}`);
      failed += 1;
    }
  };
  for (const [name, snippet] of kMustRefuse) {
    record(`refuses ${name}`, problemsOf(parser, snippet).length > 0 ? [] : ['accepted']);
  }
  const deploy = path.join(root, 'deploy');
  const files = scripts(deploy);
  const powershell = files.filter((file) => file.endsWith('.ps1'));
  if (powershell.length === 0) record('scripts found', ['no .ps1 under deploy/']);
  for (const file of powershell) {
    record(path.relative(root, file), problemsOf(parser, fs.readFileSync(file, 'utf8')));
  }
  const discovery = path.join(deploy, 'intune-compliance', 'discovery.ps1');
  const settings = hashKeys(parser, fs.readFileSync(discovery, 'utf8'));
  for (const [name, rules] of kMustRefuseRules) {
    record(`refuses rules with ${name}`, ruleProblems(rules, settings).length > 0 ? [] : ['accepted']);
  }
  let rules = null;
  try {
    rules = JSON.parse(fs.readFileSync(path.join(deploy, 'intune-compliance', 'rules.json'), 'utf8'));
  } catch (error) {
    record('deploy/intune-compliance/rules.json', [`not JSON: ${error.message}`]);
  }
  if (rules !== null) record('deploy/intune-compliance/rules.json', ruleProblems(rules, settings));
  console.log(`deploy_scripts: ${passed} passed, ${failed} failed`);
  process.exit(failed === 0 ? 0 : 1);
})().catch((error) => {
  console.log(`deploy_scripts: ${error.stack}`);
  process.exit(1);
});
