// BatchPlans.cpp: texts remembered by their shape with the prepared statements of their
// statements, and texts of many inserts run piece by piece through the same plans.
#include "db/sqlite/SqliteEngineInternal.h"

namespace qiva::db::embedded {

// True when every statement of the text is a query, a data change or a SET option.
bool SqliteEngine::Plannable(const Batch& batch) {
  for (const StmtPtr& st : batch.statements) {
    switch (st->kind) {
      case Statement::Kind::Select:
      case Statement::Kind::Insert:
      case Statement::Kind::Update:
      case Statement::Kind::Delete:
      case Statement::Kind::Set:
        break;
      default:
        return false;
    }
  }
  return !batch.statements.empty();
}

void SqliteEngine::RememberPlan(std::string key, const Batch& batch) {
  size_t statements = 0;
  for (const StmtPtr& st : batch.statements) statements += st->kind != Statement::Kind::Set;
  if (statements != recorded_.size()) return;  // a statement did not run (the text stopped early)
  Plan plan;
  plan.literals = batch.literals;
  plan.fixedNumbers = FixedNumbers(batch);
  size_t next = 0;
  for (const StmtPtr& st : batch.statements) {
    PlanStep step{st->kind, st->firstLiteral, st->endLiteral, nullptr, st->name, st->value};
    if (st->kind != Statement::Kind::Set) step.stmt = recorded_[next++];
    plan.steps.push_back(std::move(step));
  }
  if (plans_.size() >= kCacheLimit) {
    plans_.clear();
    ++plansCleared_;
  }
  plans_[std::move(key)] = std::move(plan);
}

// The remembered plan for a text of shape `key` whose tokens start at `tokens`; null when there
// is none, or when a number that is part of its syntax differs.
const SqliteEngine::Plan* SqliteEngine::FindPlan(const Token* tokens,
                                                 const std::string& key) const {
  const auto it = plans_.find(key);
  if (it == plans_.end() || !SameNumbers(tokens, it->second.fixedNumbers)) return nullptr;
  return &it->second;
}

// Runs a remembered plan with the literals of the text whose tokens start at `tokens`.
SqliteEngine::Outcome SqliteEngine::RunPlan(const Plan& plan, const Token* tokens) {
  Outcome result = Outcome::Ok;
  bool rows = true;
  for (const PlanStep& step : plan.steps) {
    state_.nowValid = false;
    Outcome o;
    if (step.kind == Statement::Kind::Set) {
      Statement set;
      set.name = step.setName;
      set.value = step.setValue;
      o = RunSet(set);
    } else {
      o = Step(tokens, plan.literals, step.firstLiteral, step.endLiteral, *step.stmt, nullptr,
               &rows);
    }
    if (o == Outcome::Failed) result = Outcome::Failed;
    if (o == Outcome::Abort || GroupRolledBack()) return Outcome::Abort;
  }
  return result;
}

// Runs a text through a remembered plan; false when there is none (the caller parses).
bool SqliteEngine::RunPlanned(const Token* tokens, const std::string& key, bool& ok) {
  const Plan* plan = FindPlan(tokens, key);
  if (!plan) return false;
  ok = RunPlan(*plan, tokens) == Outcome::Ok;
  return true;
}

// A text that SplitBeforeInserts cuts into pieces (the pharmaceutical batches) runs piece by
// piece: a piece whose shape has a plan is only bound and run, a new shape is parsed once and
// its plan remembered, so a batch costs no more per statement than the same statements sent
// one by one. SQL Server's batch rules stay: every piece is checked before any runs (a syntax
// error anywhere runs none), a conversion error stops the pieces after it, a constraint error
// fails only its own statement. A text whose pieces do not each parse into whole queries, data
// changes or SET options is left to the whole-text parse (RunPieces returns false).
bool SqliteEngine::RunPieces(std::string_view sql, bool& ok) {
  if (!CheckPieces(sql)) return false;
  const unsigned long long checkedWith = plansCleared_;
  Outcome result = Outcome::Ok;
  for (size_t p = 0; p < pieces_.size(); ++p) {
    const Token* tokens = scratchTokens_.data() + pieces_[p].first;
    PrefetchPiece(p + 1);
    // The plan found by the check stands while no plan has been dropped since; a piece that
    // had none may have one now, made by an earlier piece of its shape.
    const Plan* plan = piecePlans_[p] && plansCleared_ == checkedWith
                           ? piecePlans_[p]
                           : FindPlan(tokens, pieceKeys_[p]);
    const Outcome o = plan ? RunPlan(*plan, tokens)
                           : RunNewPiece(RangeText(sql, scratchTokens_, pieces_[p]), pieceKeys_[p]);
    if (o == Outcome::Abort || GroupRolledBack()) {
      result = Outcome::Abort;
      break;
    }
    if (o == Outcome::Failed) result = Outcome::Failed;
  }
  ok = result == Outcome::Ok;
  return true;
}

// A batch's tokens (some 3 MB for 1001 drug inserts) have left the cache by the time its
// pieces run, after the check of the whole text: the next piece's tokens and the texts of its
// values are fetched while the current piece runs.
void SqliteEngine::PrefetchPiece(size_t p) const {
#if defined(__GNUC__)
  if (p >= pieces_.size()) return;
  for (size_t i = pieces_[p].first; i < pieces_[p].end; ++i) {
    const Token& t = scratchTokens_[i];
    __builtin_prefetch(&t);
    if (t.kind == TokenKind::String || t.kind == TokenKind::Number)
      __builtin_prefetch(t.text.data());
  }
#else
  (void)p;
#endif
}

// Checks that every piece (shaped by SplitBeforeInserts) would parse: its shape has a plan, or a
// piece of the same shape (and the same syntax numbers) parsed earlier in this text, or it
// parses now into plannable statements.
bool SqliteEngine::CheckPieces(std::string_view sql) {
  piecePlans_.assign(pieces_.size(), nullptr);
  checkedShapes_.clear();
  for (size_t p = 0; p < pieces_.size(); ++p) {
    const Token* tokens = scratchTokens_.data() + pieces_[p].first;
    const std::string& key = pieceKeys_[p];
    if ((piecePlans_[p] = FindPlan(tokens, key)) != nullptr) continue;
    const auto seen = checkedShapes_.find(key);
    if (seen != checkedShapes_.end() && SameNumbers(tokens, seen->second)) continue;
    Batch batch;
    SyntaxError ignored;
    if (!ParseBatch(RangeText(sql, scratchTokens_, pieces_[p]), batch, ignored) ||
        !Plannable(batch))
      return false;
    checkedShapes_[key] = FixedNumbers(batch);
  }
  return true;
}

// Parses and runs a piece of a shape without a plan, and remembers the plan.
SqliteEngine::Outcome SqliteEngine::RunNewPiece(std::string_view text, const std::string& key) {
  Batch batch;
  SyntaxError se;
  if (!ParseBatch(text, batch, se)) {  // cannot happen: CheckPieces parsed this shape
    AddError(se.number, se.message);
    return Outcome::Abort;
  }
  recording_ = key.size() <= kPlanKeyLimit;
  recorded_.clear();
  bool any = false;
  const Outcome o = RunList(batch, batch.statements, nullptr, &any, 0);
  if (recording_) RememberPlan(key, batch);
  recording_ = false;
  return o;
}

// The numbers of a parsed text that are part of its syntax (not bound as values).
SqliteEngine::NumberList SqliteEngine::FixedNumbers(const Batch& batch) {
  NumberList numbers;
  size_t lit = 0;
  for (size_t i = 0; i < batch.tokens.size(); ++i) {
    if (lit < batch.literals.size() && batch.literals[lit] == i) {
      ++lit;
      continue;
    }
    if (batch.tokens[i].kind == TokenKind::Number) numbers.emplace_back(i, batch.tokens[i].text);
  }
  return numbers;
}

// True when the text at `tokens` has the same syntax numbers as the remembered text.
bool SqliteEngine::SameNumbers(const Token* tokens, const NumberList& numbers) {
  for (const auto& [index, text] : numbers)
    if (tokens[index].text != text) return false;
  return true;
}

}  // namespace qiva::db::embedded
