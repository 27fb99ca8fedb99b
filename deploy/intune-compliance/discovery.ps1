# notremovable: the Intune custom compliance discovery script (discovery.ps1),
# run as SYSTEM, in 32-bit PowerShell unless set otherwise (the programs'
# folder is found either way). Returns one flat, compressed JSON object with
# the settings that rules.json reads:
#   ComplianceStatus  the check program's --compliance status: 0 compliant,
#                     1 not compliant, 2 cannot judge (the check missing or
#                     failing included)
#   Outcome           would_mark, would_do_nothing or cannot_judge
#   Reason            why the exe would do nothing or the check cannot judge
#                     (the check's verdict.reason, check_missing,
#                     check_failed), or none
#   Effect            whether Windows applied the override yet: in_effect,
#                     pending (a restart or replug), cannot_tell, no_device
$folder = Join-Path $env:ProgramFiles 'notremovable'
if (${env:ProgramFiles(x86)}) { $folder = Join-Path ${env:ProgramFiles(x86)} 'notremovable' }
$check = Join-Path $folder 'notremovable-check.exe'

$settings = [ordered]@{
    ComplianceStatus = 2
    Outcome          = 'cannot_judge'
    Reason           = 'check_missing'
    Effect           = 'cannot_tell'
}
if (Test-Path -LiteralPath $check -PathType Leaf) {
    $settings.Reason = 'check_failed'
    $judged = $null
    try {
        $lines = @(& $check --compliance --json 2>$null)
        if ($lines.Count -eq 1) { $judged = $lines[0] | ConvertFrom-Json }
    } catch {
        $judged = $null
    }
    if ($judged -and $judged.verdict -and $judged.summary) {
        $settings.ComplianceStatus = [int]$judged.summary.compliance_status
        $settings.Outcome = [string]$judged.verdict.outcome
        $settings.Reason = 'none'
        if ($judged.verdict.reason) { $settings.Reason = [string]$judged.verdict.reason }
        $settings.Effect = [string]$judged.summary.effect
    }
}
return $settings | ConvertTo-Json -Compress
